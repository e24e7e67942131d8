; Addresses in data: offsets, a far pointer and a segment base, used from the code.
.model small
.stack 256
.code
.start
        mov ax, @data
        mov ds, ax
        mov bx, offset table
        mov dx, [bx]
        mov ah, 9
        int 21h
        call dword ptr farptr
        mov ax, codeseg
        .exit
show    proc far
        mov dx, offset msg2
        mov ah, 9
        int 21h
        ret
show    endp
.data
table   dw offset msg, msg2
farptr  dd show
codeseg dw @code
msg     db 'Data fixups', 13, 10, '$'
msg2    db 'Far pointer', 13, 10, '$'
.end
