/*
 * macros.asm - preprocessor lines, macros and conditional assembly.
 *
 * Lines whose first non-blank character is % belong to the preprocessor;
 * a backslash at the very end of a line continues it on the next one.
 */

%include "hardware.inc"
%define BORDER_PORT 0FEh
%define VERSION_MAJOR 2     ; the comment ends the preprocessor colour

    %ifdef DEBUG
%define TRACE(msg) call trace_print \
                   db msg, 0
    %else
%define TRACE(msg)
    %endif

%macro SET_BORDER 1
        ld a,%1
        out (BORDER_PORT),a
%endmacro

%macro FILL 3               /* dest, count, byte */
        ld hl,%1
        ld bc,%2-1
        ld (hl),%3
        ld de,%1+1
        ldir
%endmacro

        section code
        org 8000h

main:   SET_BORDER 2
        TRACE("main entered")
        FILL screen, 6144, 0
        FILL attrs, 768, 38h    ; paper 7, ink 0
        ld b,50
.pause: halt
        djnz .pause
        SET_BORDER 7 /* white again */
        ret

screen  equ 4000h
attrs   equ 5800h
