; The main module of a program in two modules (twoutil.asm is the other): greeting is
; defined here and shared, printmsg and count come from twoutil.
.model small
.stack 1024
.external printmsg, greeting, count:word
.code
.start
        mov ax, @data
        mov ds, ax
        mov dx, offset greeting
        call printmsg
        call printmsg
        mov ax, count
        .exit
.data
greeting db 'Two modules', 13, 10, '$'
.end
