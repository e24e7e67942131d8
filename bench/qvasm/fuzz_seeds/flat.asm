; a flat binary: org first, no .model, .code or .end
org 7C00h
.386
start:  cli
        xor     ax, ax
        mov     ss, ax
        mov     sp, 7C00h
        sti
        mov     si, offset msg
@@:     lodsb
        or      al, al
        jz      @f
        mov     ah, 0Eh
        int     10h
        jmp     short @b
@@:     hlt
        jmp     short @b
.data
msg     db      'boot', 0
