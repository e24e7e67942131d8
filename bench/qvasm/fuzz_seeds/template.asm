; An empty template ready for modification.
; Modify the following to suite your needs.

.model tiny
.code
.x86

            org 100h

            ; start your code here
            mov  ah,09h
            mov  dx,offset string
            int  21h

            .exit




 ; start your data here
string  db  'Hello, World!$'

.end

