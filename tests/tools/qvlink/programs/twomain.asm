; The main module of a program in two modules: it calls a procedure and reads a variable that
; the other module defines.
extern greet, counter
segment code
..start:
    mov ax, data
    mov ds, ax
    call greet
    mov dl, [counter]
    add dl, '0'
    mov ah, 2
    int 21h
    mov ax, 4c00h
    int 21h
segment data
intro: db 'main $'
segment stack stack
    resb 256
group dgroup data stack
