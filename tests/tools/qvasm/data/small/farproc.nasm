; farproc.asm for nasm -f obj
segment _TEXT class=CODE public align=2
..start:
        mov ax, DGROUP
        mov ds, ax
        mov dx, msg1
        call (seg printfar):printfar
        mov dx, msg2
        call (seg printfar):printfar
        mov ax, 4C00h
        int 21h
printfar:
        mov ah, 9
        int 21h
        retf
segment _DATA class=DATA public align=2
msg1    db 'Far', 13, 10, '$'
msg2    db 'Again', 13, 10, '$'
segment STACK class=STACK stack align=16
        resb 512
group DGROUP _DATA STACK
