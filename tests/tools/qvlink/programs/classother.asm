; The second module: a near, a far and a jumped-to procedure, and a byte in DGROUP.
global farfn, nearfn, shortfn, value
extern back
segment _TEXT class=CODE public
nearfn: ret
shortfn:
    mov dl, 'X'
    mov ah, 2
    int 21h
    jmp back
segment FARSEG class=CODE
farfn:
    mov dl, 'F'
    mov ah, 2
    int 21h
    retf
segment _DATA class=DATA public align=2
value: db 'V'
group DGROUP _DATA
