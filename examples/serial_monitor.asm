; serial_monitor.asm - a tiny ROM monitor for a Z80 board with a 16550-style UART.
; It sets up the stack, greets the user and echoes typed characters, upper-cased,
; until ESC is pressed, then returns to the boot loader.

UART_DATA   equ 0x80            ; receive / transmit holding register
UART_LSR    equ 85h             ; line status register
LSR_RX_READY equ 01h
LSR_TX_EMPTY equ 20h
STACK_TOP   equ 0FFFFh
ESC         equ 27

            org 0000h

reset:      di
            ld sp,STACK_TOP
            im 1
            jp start

            org 0038h
; Mode 1 interrupt: nothing is wired to INT yet, so just return.
isr:        ei
            reti

            org 0100h
start:      ld hl,banner
            call puts
echo:       call getc
            cp ESC
            jr z,done
            cp 'a'              ; lower-case letter?
            jr c,send
            cp 'z'+1
            jr nc,send
            sub 32              ; to upper case
send:       call putc
            jr echo
done:       ld hl,bye
            call puts
            ret

; putc: send the character in A. Destroys nothing but flags.
putc:       push af
.wait:      in a,(UART_LSR)
            and LSR_TX_EMPTY
            jr z,.wait
            pop af
            out (UART_DATA),a
            ret

; getc: wait for a character and return it in A.
getc:       in a,(UART_LSR)
            and LSR_RX_READY
            jr z,getc
            in a,(UART_DATA)
            ret

; puts: send the zero-terminated string at HL.
puts:       ld a,(hl)
            or a
            ret z
            call putc
            inc hl
            jr puts

banner:     db "Velmora monitor 1.0",13,10
            db "Type away, ESC quits.",13,10,0
bye:        db 13,10,"Bye.",13,10,0
