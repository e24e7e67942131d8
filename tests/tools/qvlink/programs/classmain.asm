; Classes CODE, DATA, BSS and STACK as DOS compilers name them, DGROUP across two modules, and
; calls, jumps and segment references to names the other module defines.
extern farfn, nearfn, shortfn, value
segment _TEXT class=CODE public align=16
..start:
    mov ax, DGROUP
    mov ds, ax
    mov ax, seg value
    mov es, ax
    mov bx, value wrt DGROUP
    mov al, [es:bx]
    call far farfn
    call nearfn
    jmp shortfn
back: global back
    mov ax, 4c00h
    int 21h
segment _DATA class=DATA public align=2
tbl: dw back, nearfn
     dw farfn, seg farfn
segment _BSS class=BSS public
buf: resb 100
segment STACK stack class=STACK
    resb 200h
group DGROUP _DATA _BSS STACK
