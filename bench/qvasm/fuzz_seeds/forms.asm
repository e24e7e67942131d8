.model tiny
.code
.x86
        org 100h
        .start
pt      struct
x       dw ?
y       db 3 dup (?)
pt      ends
p       st pt
f       proc near uses ax bx
        mov ax, word ptr es:[bx+si+2]
        lea si, [ebx+ecx*4+8]
        add bx, byte -3
        jz @f
        rep movsb byte ptr es:[di], byte ptr cs:[si]
@@:     fld st(1)
        call 1234h:5678h
        mov al, p.y
        .if sizeof pt
        %out ok
        .endif
        ret
f       endp
comment ~ a
block ~
        .exit 1
msg     db 'a''b', 0
        dup 10,?
.end
