; twoutil.asm for nasm -f obj
global PRINTMSG, COUNT
segment _TEXT class=CODE public align=2
PRINTMSG:
        inc word [COUNT]
        mov ah, 9
        int 21h
        ret
segment _DATA class=DATA public align=2
COUNT   dw 0
group DGROUP _DATA
