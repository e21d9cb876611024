; structs.asm - structures, banks, sections and reserved space.

        struc sprite
.x:     resb 1
.y:     resb 1
.frame: resw 1
.flags: resb 1
        endstruc

        section bss
        bank 1
sprites:
        times 8 resb 5          ; eight sprites
score:  resd 1
hiscore:
        resq 1

        section code
        org 0x6000

; move_sprites: add the velocity table to every sprite position.
move_sprites:
        ld ix,sprites
        ld iy,velocity
        ld b,8
.next:  ld a,(ix+0)
        add a,(iy+0)
        ld (ix+0),a
        ld a,(ix+1)
        add a,(iy+1)
        ld (ix+1),a
        ld de,5
        add ix,de
        inc iy
        inc iy
        djnz .next
        ret

; clear_sprites: zero the whole table with an unrolled ldir.
clear_sprites:
        ld hl,sprites
        ld de,sprites+1
        ld bc,8*5-1
        xor a
        ld (hl),a
        ldir
        ret

; bank_call: call the routine at HL in the bank given in A.
bank_call:
        push bc
        ld c,a
        getbank b
        ld a,c
        out (0x7F),a
        call jump_hl
        ld a,b
        out (0x7F),a
        pop bc
        ret
jump_hl:
        jp (hl)

velocity:
        db 1,0, 0,1, -1,0, 0,-1
        db 2,1, 1,2, -2,-1, -1,-2
