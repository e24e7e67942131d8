; hello.asm - prints a greeting, then waits for a key
        .model tiny
        .code
        org 100h

POINT   struct
x       dword ?
y       dword ?
POINT   ends

comment ~
        The block below sets up the segments.
        Nothing here is assembled: mov ax, bx
~ end of the block; the rest of this line is comment too

start:  mov ax, cs              ; code and data share a segment
        mov ds, ax
        lea dx, msg
        mov ah, 09h
        int 21h
        xor ax, ax
        int 16h                 ; wait for a key
        MOV AX, 4C00h
        INT 21H
pt      st POINT
        mov eax, dword ptr [bx+si+2]
        mov word ptr es:[di], 0
        fld st(0)
        push ax;save
        jmps short done
done:   ret

msg     db "Hello, it's me", 13, 10, '$'
quote   db 'say "hi"', 0
esc     db 'a\'', 0
table   dw 10 dup (0)
        .exit
        .end
