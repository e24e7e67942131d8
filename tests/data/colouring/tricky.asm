; tricky cases
xmov mov2 _mov mov_ 2mov
db "unterminated
mov ax " closes here
db 'a;b' ; real comment
; comment ends with a backslash two back \x
still comment
mov ax ; ends with a backslash \
mov bx
comment	not a block
COMMENT ~ not a block either
db "a comment xyx", 0
nocomment # inside a word # rest
cs: ds:[bx] es:
al all alld alldf allx
äx axä ах
comment 
the closer was the line end
mov ax
comment ~