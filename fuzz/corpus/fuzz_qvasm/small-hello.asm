; This source file was created using QVASMIDE's Wizard software
; Kestrelmoor Software
; 
.model small              ; create an .obj file
.stack 1024


.code
            org   00h


; Place your code here
                mov ax, @data
                mov ds, ax
                mov ah, 9
                mov dx, offset msg
                int 21h

                .exit
.data
msg             db 'Hello', 13, 10, '$'
.end
