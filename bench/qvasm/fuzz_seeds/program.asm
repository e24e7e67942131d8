.model tiny
.code
.386
        org 100h
        .start
start:  call    main
        .exit   3
main    proc near uses ax bx
        mov     ax, cnt
        jmp     done
        nop
done:   ret
main    endp
far1    proc far
        ret
far1    endp
        mov     si, offset msg
        jz      farlabel
        db      200 dup (90h)
farlabel:
        %out Hello from the source
.data
msg     db      'data$'
cnt     dw      7
.end
