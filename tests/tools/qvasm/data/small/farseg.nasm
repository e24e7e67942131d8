; farseg.asm for nasm -f obj
segment _TEXT class=CODE public align=2
..start:
        mov ax, DGROUP
        mov ds, ax
        mov dx, msg1
        call (seg printfar):printfar
        mov dx, msg2
        call far [farptr]
        mov ax, seg printfar
        mov es, ax
        jmp (seg done):done
segment FARCODE class=CODE public align=2
printfar:
        mov ah, 9
        int 21h
        retf
done:
        mov ax, 4C00h
        int 21h
segment _DATA class=DATA public align=2
msg1    db 'Second segment', 13, 10, '$'
msg2    db 'Far pointer', 13, 10, '$'
farptr  dw printfar, seg printfar
segment STACK class=STACK stack align=16
        resb 512
group DGROUP _DATA STACK
