; Tune 8: "Velvet Static", an E flat major funk at 125 BPM. Voice 1
; syncopated octave bass and drums, voice 2 seventh-chord stabs and a
; ring-modulated answer, voice 3 a sawtooth lead under a swept low-pass.
; Shared driver layout.
        .include "notes.inc"
        .include "shared_layout.inc"
NAME = "Velvet Static"
AUTHOR = "Dario Kessel"
        .include "psid_header.inc"
        .logical LOAD
        lda #$36                ; BASIC ROM off: the song data lies beneath it
        sta $01
        jmp driver_init
        .fill SHARED_SONG - *, 0
song_speed  .byte 7, 5
song_filter .byte $64, $19, $20, $60, 2, $40
order_tab   .word order1, order2, order3
        .fill SHARED_PATTAB - *, 0
pattab  .word p_funk, p_stabmaj, p_stabmin, p_rest, p_ring
        .word m1, m2, m3, m4, m5, m6, m7, m8, m9, m10, m11, m12
P_FUNK = 0
P_STABMAJ = 1
P_STABMIN = 2
P_REST = 3
P_RING = 4
M1 = 5
        .fill SHARED_INSTAB - *, 0
I_BASS = I0+1
I_KICK = I0+2
I_SNARE = I0+3
I_STAB = I0+4
I_LEAD = I0+5
I_RING = I0+6
instab
        .byte $00, $00, W_OFF - wavetab, $00, $00, $00, $00, 0
        .byte $07, $00, W_BASS - wavetab, $48, $30, $00, $00, 0
        .byte $07, $00, W_KICK - wavetab, $80, $00, $00, $00, 0
        .byte $08, $00, W_SNARE - wavetab, $80, $00, $00, $00, 0
        .byte $05, $42, W_STAB - wavetab, $30, $40, $00, $00, 0
        .byte $2a, $a9, W_LEAD - wavetab, $00, $00, $82, $58, 0
        .byte $0a, $00, W_RING - wavetab, $00, $00, $00, $00, 0
        .fill SHARED_WAVETAB - *, 0
wavetab
W_OFF   .byte $00, 0, $fe, 0
W_BASS  .byte $41, 12, $41, 0, $fe, 0
W_KICK  .byte $49, $80+Ds4, $41, $80+As3, $41, $80+Ds3, $41, $80+As2, $41, $80+F2, $fe, 0
W_SNARE .byte $81, $80+C7, $41, $80+G4, $81, $80+Gs6, $81, $80+F6, $fe, 0
W_STAB  .byte $41, 0, $fe, 0
W_LEAD  .byte $21, 0, $fe, 0
W_RING  .byte $15, 12, $15, 0, $fe, 0
        .fill SHARED_DATA - *, 0

; funk bass and drums, root C
p_funk   .byte I_KICK, L2, C2, I_BASS, L1, C3, R, I_SNARE, L2, C2, I_BASS, L1, C2, C3
         .byte I_KICK, L2, C2, I_BASS, L1, As2, C3, I_SNARE, L2, C2, I_BASS, L1, G2, As2, END
p_stabmaj .byte I_STAB, MAJ7, L2, R, C4, L1, R, C4, L2, R, L2, R, C4, L1, R, C4, L2, R, END
p_stabmin .byte I_STAB, MIN7, L2, R, C4, L1, R, C4, L2, R, L2, R, C4, L1, R, C4, L2, R, END
p_rest   .byte L16, R, END
p_ring   .byte I_RING, NOCH, L4, G5, Ds5, L2, C5, Ds5, L4, G5, END

m1      .byte I_LEAD, L2, G4, As4, L4, Ds5, L2, D5, As4, L4, G4, END
m2      .byte L6, C5, L2, As4, L4, G4, Ds4, END
m3      .byte L2, Gs4, C5, L4, Ds5, L2, F5, Ds5, L4, C5, END
m4      .byte L8, D5, L4, F5, D5, END
m5      .byte L4, As5, L2, G5, Ds5, L4, F5, G5, END
m6      .byte L6, Ds5, L2, D5, L8, C5, END
m7      .byte L4, C5, Ds5, Gs5, G5, END
m8      .byte L12, F5, L4, R, END
m9      .byte L4, Gs4, C5, F5, Ds5, END
m10     .byte L8, D5, As4, END
m11     .byte L4, As4, D5, G5, F5, END
m12     .byte L12, Ds5, L4, R, END

; Eb Cm Ab Bb / Fm Bb Gm Cm
order1  .byte TR+3, P_FUNK, TR+0, P_FUNK, TR-4, P_FUNK, TR-2, P_FUNK
        .byte TR+3, P_FUNK, TR+0, P_FUNK, TR-4, P_FUNK, TR-2, P_FUNK
        .byte TR+3, P_FUNK, TR+0, P_FUNK, TR-4, P_FUNK, TR-2, P_FUNK
        .byte TR+5, P_FUNK, TR-2, P_FUNK, TR-5, P_FUNK, TR+0, P_FUNK
        .byte TR+5, P_FUNK, TR-2, P_FUNK, TR-5, P_FUNK, TR+0, P_FUNK
        .byte TR+3, P_FUNK, TR+0, P_FUNK, TR-4, P_FUNK, TR-2, P_FUNK
        .byte TR+3, P_FUNK, TR+0, P_FUNK, TR-4, P_FUNK, TR-2, P_FUNK
        .byte TR+5, P_FUNK, TR-2, P_FUNK, TR-5, P_FUNK, TR+0, P_FUNK
        .byte TR+5, P_FUNK, TR-2, P_FUNK, TR-5, P_FUNK, TR+0, P_FUNK
        .byte LOOP, 0
order2  .byte TR+3, P_STABMAJ, TR+0, P_STABMIN, TR-4, P_STABMAJ, TR-2, P_STABMAJ
        .byte TR+3, P_STABMAJ, TR+0, P_STABMIN, TR-4, P_STABMAJ, TR-2, P_STABMAJ
        .byte TR+3, P_STABMAJ, TR+0, P_STABMIN, TR-4, P_STABMAJ, TR-2, P_STABMAJ
        .byte TR+5, P_STABMIN, TR-2, P_STABMAJ, TR-5, P_STABMIN, TR+0, P_STABMIN
        .byte TR+5, P_RING, TR+7, P_RING, TR+7, P_RING, TR+0, P_RING
        .byte TR+3, P_STABMAJ, TR+0, P_STABMIN, TR-4, P_STABMAJ, TR-2, P_STABMAJ
        .byte TR+3, P_STABMAJ, TR+0, P_STABMIN, TR-4, P_STABMAJ, TR-2, P_STABMAJ
        .byte TR+5, P_STABMIN, TR-2, P_STABMAJ, TR-5, P_STABMIN, TR+0, P_STABMIN
        .byte TR+5, P_RING, TR+7, P_RING, TR+7, P_RING, TR+0, P_RING
        .byte LOOP, 0
order3  .byte TR+0, P_REST, P_REST, P_REST, P_REST
        .byte M1, M1+1, M1+2, M1+3, M1+4, M1+5, M1+6, M1+7
        .byte M1+8, M1+9, M1+10, M1+11, M1+8, M1+9, M1+10, M1+11
        .byte M1, M1+1, M1+2, M1+3, M1+4, M1+5, M1+6, M1+7
        .byte TR+12, M1+8, M1+9, M1+10, M1+11, TR+0, M1+8, M1+9, M1+10, M1+11
        .byte LOOP, 0

        .fill SHARED_DRIVER - *, 0
        .include "driver.inc"
        .endlogical
