; hello.asm for nasm -f obj
segment _TEXT class=CODE public align=2
..start:
        mov ax, DGROUP
        mov ds, ax
        mov ah, 9
        mov dx, msg
        int 21h
        mov ax, 4C00h
        int 21h
segment _DATA class=DATA public align=2
msg     db 'Hello', 13, 10, '$'
segment STACK class=STACK stack align=16
        resb 1024
group DGROUP _DATA STACK
