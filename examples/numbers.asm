; numbers.asm - every number syntax the editor colours, and a few it does not.

        org 0x8000

hexes:  db 0x1F, 0xff, 0ffh, 12H, 0A0h
        dw 0xBEEF, 0C000h
decs:   db 0, 7, 255
        dd 100000
floats: dq 1.5e3, 12.34, 2E10
        ; Prefixes are not part of a number: only the digits after them are.
prefix: db %1010, $ff, #10, $FF
        ; No binary suffix either: 1010b is a plain word.
binary: db 1010b
        ; Capital X is not a hex prefix.
upper:  db 0X1F
        ; A stem of hex letters with an h suffix counts, so these are numbers too.
words:  ld a,each
        ld a,ah
        ld a,h                  ; h alone is a register

strings:
        db "plain", 0
        db "with \"escaped\" quotes", 0
        db 'c', 'x'+1
        db "tab\there", 9, 0
        ex af,af'               ; the shadow register opens a quoted literal
        ld a,1                  ; colouring is back to normal on the next line

        ld hl,message /* a block comment inside a line */ ; and a line comment
        /* a block comment
           across lines: ld a,1 is not code here
        */ ld a,2
        db "continued \
on the next line", 0
        nop ; this comment goes on \
and on
        halt
message:
        db "done", 0
