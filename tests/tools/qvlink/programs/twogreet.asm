; The second module: its code joins the main module's code segment, its data DGROUP's.
global greet, counter
segment code
greet:
    mov dx, msg
    mov ah, 9
    int 21h
    ret
segment data
counter: db 7
msg: db 'two modules $'
group dgroup data
