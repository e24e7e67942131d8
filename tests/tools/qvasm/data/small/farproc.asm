; A far procedure in _TEXT itself, called with segment and offset (farseg.asm has its own segment).
.model small
.stack 512
.code
.start
        mov ax, @data
        mov ds, ax
        mov dx, offset msg1
        call printfar
        mov dx, offset msg2
        call far printfar
        .exit 0
printfar proc far
        mov ah, 9
        int 21h
        ret
printfar endp
.data
msg1    db 'Far', 13, 10, '$'
msg2    db 'Again', 13, 10, '$'
.end
