; Tune 9: "Sundial Dub", a D minor dub at 94 BPM. Voice 1 deep bass and a
; one-drop beat, voice 2 offbeat chord skanks through a swept band-pass,
; voice 3 a reedy pulse melody. PSID; the play routine sits far above the
; load address.
        .include "notes.inc"
MAGIC = "PSID"
LOAD = $9ffa
INIT = LOAD
PLAY = entry_play
SONGS = 1
START_SONG = 1
SPEED = 0
FLAGS = 0
NAME = "Sundial Dub"
AUTHOR = "Okko Lindqvist"
RELEASED = "2009 Korveld Issue 35"
PLAY_EXIT = 0
VECTOR = 0
        .include "psid_header.inc"
        .logical LOAD
        jmp driver_init
        .include "driver.inc"

song_speed  .byte 8, 8
song_filter .byte $a2, $2a, $20, $70, 1, $30
order_tab   .word order1, order2, order3

I_BASS = I0+1
I_KICK = I0+2
I_RIM = I0+3
I_SKANK = I0+4
I_LEAD = I0+5
I_HAT = I0+6
I_SIREN = I0+7
instab
        .byte $00, $00, W_OFF - wavetab, $00, $00, $00, $00, 0
        .byte $0a, $a9, W_BASS - wavetab, $80, $08, $00, $00, 0
        .byte $08, $00, W_KICK - wavetab, $80, $00, $00, $00, 0
        .byte $06, $00, W_RIM - wavetab, $80, $00, $00, $00, 0
        .byte $04, $44, W_SKANK - wavetab, $20, $30, $00, $68, 0
        .byte $3a, $a9, W_LEAD - wavetab, $58, $0c, $a3, $00, 0
        .byte $02, $00, W_HAT - wavetab, $00, $00, $00, $00, 0
        .byte $8a, $a8, W_SIREN - wavetab, $80, $10, $00, $00, 0

wavetab
W_OFF   .byte $00, 0, $fe, 0
W_BASS  .byte $11, 0, $fe, 0
W_KICK  .byte $49, $80+A3, $41, $80+E3, $41, $80+A2, $41, $80+E2, $41, $80+C2, $41, $80+A1, $fe, 0
W_RIM   .byte $41, $80+G5, $81, $80+C7, $41, $80+D5, $80, $80+A6, $fe, 0
W_SKANK .byte $41, 0, $fe, 0
W_LEAD  .byte $41, 0, $fe, 0
W_HAT   .byte $81, $80+Gs7, $fe, 0
W_SIREN .byte $42, 12, $42, 14, $42, 16, $42, 17, $42, 19, $42, 21, $42, 23, $42, 24
        .byte $42, 23, $42, 21, $42, 19, $42, 17, $42, 16, $42, 14, $ff, W_SIREN - wavetab

pattab  .word p_drop, p_skankmin, p_skankmaj, p_rest, p_siren, p_bassonly
        .word m1, m2, m3, m4, m5, m6, m7, m8, m9, m10, m11, m12
P_DROP = 0
P_SKMIN = 1
P_SKMAJ = 2
P_REST = 3
P_SIREN = 4
P_BASSONLY = 5
M1 = 6

; one-drop beat with bass, root C: the kick falls on the third beat
p_drop   .byte I_BASS, L5, C2, I_HAT, L1, C2, I_BASS, L2, G2, I_KICK, C2, I_RIM, C2
         .byte I_BASS, L3, Ds2, I_HAT, L1, C2, END
p_bassonly .byte I_BASS, L6, C2, L2, G2, L4, Ds2, L2, C2, G1, END
p_skankmin .byte I_SKANK, MIN, L2, R, C4, R, C4, R, C4, R, C4, END
p_skankmaj .byte I_SKANK, MAJ, L2, R, C4, R, C4, R, C4, R, C4, END
p_rest   .byte L16, R, END
p_siren  .byte I_SIREN, NOCH, L16, C4, END

m1      .byte I_LEAD, L6, A4, L2, F4, L4, D4, F4, END
m2      .byte L6, G4, L2, As4, L8, D5, END
m3      .byte L4, F5, E5, D5, A4, END
m4      .byte L12, Cs5, L4, R, END
m5      .byte L4, D5, L2, F5, A5, L8, G5, END
m6      .byte L6, F5, L2, D5, L8, As4, END
m7      .byte L4, A4, D5, F5, E5, END
m8      .byte L16, E5, END
m9      .byte L6, F5, L2, D5, L8, As4, END
m10     .byte L4, C5, E5, G5, E5, END
m11     .byte L4, F5, E5, D5, C5, END
m12     .byte L12, D5, L4, R, END

; Dm Gm Dm A / Bb C Dm Dm
order1  .byte TR+2, P_BASSONLY, TR+7, P_BASSONLY, TR+2, P_BASSONLY, TR-3, P_BASSONLY
        .byte TR+2, P_DROP, TR+7, P_DROP, TR+2, P_DROP, TR-3, P_DROP
        .byte TR+2, P_DROP, TR+7, P_DROP, TR+2, P_DROP, TR-3, P_DROP
        .byte TR-2, P_DROP, TR+0, P_DROP, TR+2, P_DROP, TR+2, P_DROP
        .byte TR+2, P_DROP, TR+7, P_DROP, TR+2, P_DROP, TR-3, P_DROP
        .byte TR-2, P_DROP, TR+0, P_DROP, TR+2, P_DROP, TR+2, P_DROP
        .byte TR+2, P_BASSONLY, TR+7, P_BASSONLY, TR+2, P_BASSONLY, TR-3, P_BASSONLY
        .byte LOOP, 0
order2  .byte TR+2, P_SKMIN, TR+7, P_SKMIN, TR+2, P_SKMIN, TR-3, P_SKMAJ
        .byte TR+2, P_SKMIN, TR+7, P_SKMIN, TR+2, P_SKMIN, TR-3, P_SKMAJ
        .byte TR+2, P_SKMIN, TR+7, P_SKMIN, TR+2, P_SKMIN, TR-3, P_SKMAJ
        .byte TR-2, P_SKMAJ, TR+0, P_SKMAJ, TR+2, P_SKMIN, TR+2, P_SKMIN
        .byte TR+2, P_SIREN, TR+7, P_SKMIN, TR+2, P_SIREN, TR-3, P_SKMAJ
        .byte TR-2, P_SKMAJ, TR+0, P_SKMAJ, TR+2, P_SKMIN, TR+2, P_SKMIN
        .byte TR+2, P_SKMIN, TR+7, P_SKMIN, TR+2, P_SKMIN, TR-3, P_SKMAJ
        .byte LOOP, 0
order3  .byte TR+0, P_REST, P_REST, P_REST, P_REST
        .byte M1, M1+1, M1+2, M1+3, M1+4, M1+5, M1+6, M1+7
        .byte M1+8, M1+9, M1+10, M1+11
        .byte P_REST, P_REST, P_REST, P_REST
        .byte M1+8, M1+9, M1+10, M1+11
        .byte TR+12, M1, M1+1, M1+2, M1+3, TR+0
        .byte LOOP, 0

        .fill $c475 - *, 0
entry_play
        jmp driver_play
        .endlogical
