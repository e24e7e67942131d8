; The second module of twomain.asm's program: no start, a procedure and a counter to share.
.model small
.external printmsg, count:word
.code
printmsg proc
        inc count
        mov ah, 9
        int 21h
        ret
printmsg endp
.data
count   dw 0
.end
