; A DGROUP program with a stack, a second code segment reached by a far call and through a
; far pointer, and data holding offsets. Built with -DBIN it is the same program as a flat
; binary laid out as the linker lays it out, for comparing load images.
%ifdef BIN
%define SEG_CODE2 4
%define SEG_DATA 6
%define FARCALL call 4:
  section code start=0 vstart=0
%else
%define SEG_CODE2 seg farproc
%define SEG_DATA data
%define FARCALL call far
  segment code align=16
..start:
%endif
    mov ax, SEG_DATA
    mov ds, ax
    mov dx, hello
    mov ah, 9
    int 21h
    FARCALL farproc
    call far [fptr]
    mov dx, [msgptr]
    mov ah, 9
    int 21h
    mov ax, 4c00h
    int 21h
    times 64-($-$$) db 90h
%ifdef BIN
  section code2 start=40h vstart=0
%else
  segment code2 align=16
%endif
farproc:
    mov dx, far_msg
    mov ah, 9
    int 21h
    retf
farproc2:
    mov dx, ptr_msg
    mov ah, 9
    int 21h
    retf
    times 32-($-$$) db 90h
%ifdef BIN
  section data start=60h vstart=0
%else
  segment data align=16
%endif
hello: db 'Hello $'
far_msg: db 'far $'
ptr_msg: db 'pointer $'
bye: db 'bye', 13, 10, '$'
fptr: dw farproc2, SEG_CODE2
msgptr: dw bye
doff: dd farproc
%ifndef BIN
segment stack stack align=16
    resb 256
group dgroup data stack
%endif
