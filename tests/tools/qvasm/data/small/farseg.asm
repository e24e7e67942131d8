; A far procedure in a code segment of its own, called from _TEXT directly and through a far
; pointer in data; the program ends in that segment after a far jump.
.model small
.stack 512
.code
.start
        mov ax, @data
        mov ds, ax
        mov dx, offset msg1
        call printfar
        mov dx, offset msg2
        call dword ptr farptr
        mov ax, seg printfar
        mov es, ax
        jmp far done
.code farcode
printfar proc far
        mov ah, 9
        int 21h
        ret
printfar endp
done:
        .exit 0
.data
msg1    db 'Second segment', 13, 10, '$'
msg2    db 'Far pointer', 13, 10, '$'
farptr  dd printfar
.end
