; datafix.asm for nasm -f obj
segment _TEXT class=CODE public align=2
..start:
        mov ax, DGROUP
        mov ds, ax
        mov bx, table
        mov dx, [bx]
        mov ah, 9
        int 21h
        call far [farptr]
        mov ax, [codeseg]
        mov ax, 4C00h
        int 21h
show:
        mov dx, msg2
        mov ah, 9
        int 21h
        retf
segment _DATA class=DATA public align=2
table   dw msg, msg2
farptr  dw show, seg show
codeseg dw _TEXT
msg     db 'Data fixups', 13, 10, '$'
msg2    db 'Far pointer', 13, 10, '$'
segment STACK class=STACK stack align=16
        resb 256
group DGROUP _DATA STACK
