; twomain.asm for nasm -f obj
extern PRINTMSG, COUNT
global GREETING
segment _TEXT class=CODE public align=2
..start:
        mov ax, DGROUP
        mov ds, ax
        mov dx, GREETING
        call PRINTMSG
        call PRINTMSG
        mov ax, [COUNT]
        mov ax, 4C00h
        int 21h
segment _DATA class=DATA public align=2
GREETING db 'Two modules', 13, 10, '$'
segment STACK class=STACK stack align=16
        resb 1024
group DGROUP _DATA STACK
