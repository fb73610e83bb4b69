; Tune 4: "Rust Belt Runner", a fast G minor drive at 166 BPM with a
; shuffle. Voice 1 pumping octave bass and drums, voice 2 hard-synced stabs
; riding on the bass through a resonant low-pass, voice 3 the lead. RSID
; with the same layout as tune 3.
        .include "notes.inc"
MAGIC = "RSID"
LOAD = $80d7
INIT = LOAD
PLAY = 0
SONGS = 1
START_SONG = 1
SPEED = 0
FLAGS = $14
NAME = "Rust Belt Runner"
AUTHOR = "Ilse Marquardt"
RELEASED = "2009 Korveld Issue 35"
PLAY_EXIT = $ea7e
VECTOR = 1
        .include "psid_header.inc"
        .logical LOAD
        .include "driver.inc"

song_speed  .byte 5, 4
song_filter .byte $b2, $17, $20, $88, 2, $60
order_tab   .word order1, order2, order3

I_BASS = I0+1
I_KICK = I0+2
I_SNARE = I0+3
I_SYNC = I0+4
I_LEAD = I0+5
I_HAT = I0+6
instab
        .byte $00, $00, W_OFF - wavetab, $00, $00, $00, $00, 0
        .byte $08, $50, W_BASS - wavetab, $28, $30, $00, $00, 0
        .byte $07, $00, W_KICK - wavetab, $80, $00, $00, $00, 0
        .byte $08, $00, W_SNARE - wavetab, $80, $00, $00, $00, 0
        .byte $06, $a4, W_SYNC - wavetab, $80, $20, $00, $00, 0
        .byte $1a, $99, W_LEAD - wavetab, $40, $1c, $62, $00, 0
        .byte $03, $00, W_HAT - wavetab, $00, $00, $00, $00, 0

wavetab
W_OFF   .byte $00, 0, $fe, 0
W_BASS  .byte $41, 0, $fe, 0
W_KICK  .byte $49, $80+D4, $41, $80+G3, $41, $80+D3, $41, $80+A2, $41, $80+F2, $fe, 0
W_SNARE .byte $81, $80+C7, $41, $80+E4, $81, $80+A6, $81, $80+F6, $81, $80+D6, $fe, 0
W_SYNC  .byte $42, 0, $42, 3, $42, 7, $42, 10, $42, 12, $42, 15, $42, 19, $42, 22, $42, 24, $fe, 0
W_LEAD  .byte $41, 12, $41, 0, $fe, 0
W_HAT   .byte $81, $80+As7, $fe, 0

pattab  .word p_groove, p_bassonly, p_stab, p_syncarp, p_rest
        .word m1, m2, m3, m4, m5, m6, m7, m8, m9, m10, m11, m12
P_GROOVE = 0
P_BASSONLY = 1
P_STAB = 2
P_SYNCARP = 3
P_REST = 4
M1 = 5

; pumping bass and drums, root C
p_groove .byte I_KICK, L2, C2, I_BASS, C3, I_SNARE, C2, I_BASS, C3
         .byte I_KICK, C2, I_BASS, L1, C3, C3, I_SNARE, L2, C2, I_BASS, As2, END
p_bassonly .byte I_BASS, L2, C2, C3, C2, C3, C2, L1, C3, C3, L2, C2, As2, END
p_stab   .byte I_SYNC, NOCH, L3, C5, L1, R, L2, C5, R, G5, I_HAT, C4, I_SYNC, C5, Ds5, END
p_syncarp .byte I_SYNC, MIN, L8, C5, G5, END
p_rest   .byte L16, R, END

m1      .byte I_LEAD, L4, D5, L2, As4, G4, L4, D5, L2, F5, D5, END
m2      .byte L6, Ds5, L2, D5, L4, As4, G4, END
m3      .byte L4, F5, L2, Ds5, D5, L4, C5, A4, END
m4      .byte L8, G4, L4, D5, As4, END
m5      .byte L4, G5, L2, F5, D5, L4, As4, D5, END
m6      .byte L4, Ds5, G5, L6, As5, L2, G5, END
m7      .byte L4, A5, L2, F5, C5, L4, A4, C5, END
m8      .byte L12, G5, L4, R, END
m9      .byte L2, C5, Ds5, L4, G5, L2, F5, Ds5, L4, D5, END
m10     .byte L4, D5, As4, L8, G4, END
m11     .byte L4, Fs4, A4, D5, C5, END
m12     .byte L8, As4, L4, G4, R, END

; Gm Eb F Gm / Cm Gm D Gm
order1  .byte TR-5, P_GROOVE, TR+3, P_GROOVE, TR+5, P_GROOVE, TR-5, P_GROOVE
        .byte TR-5, P_GROOVE, TR+3, P_GROOVE, TR+5, P_GROOVE, TR-5, P_GROOVE
        .byte TR-5, P_GROOVE, TR+3, P_GROOVE, TR+5, P_GROOVE, TR-5, P_GROOVE
        .byte TR-5, P_GROOVE, TR+3, P_GROOVE, TR+5, P_GROOVE, TR-5, P_GROOVE
        .byte TR-5, P_GROOVE, TR+3, P_GROOVE, TR+5, P_GROOVE, TR-5, P_GROOVE
        .byte TR-5, P_GROOVE, TR+3, P_GROOVE, TR+5, P_GROOVE, TR-5, P_GROOVE
        .byte TR+0, P_GROOVE, TR-5, P_GROOVE, TR+2, P_GROOVE, TR-5, P_GROOVE
        .byte TR+0, P_GROOVE, TR-5, P_GROOVE, TR+2, P_GROOVE, TR-5, P_GROOVE
        .byte TR-5, P_BASSONLY, TR+3, P_BASSONLY, TR+5, P_BASSONLY, TR-5, P_BASSONLY
        .byte TR-5, P_BASSONLY, TR+3, P_BASSONLY, TR+5, P_BASSONLY, TR-5, P_BASSONLY
        .byte TR-5, P_GROOVE, TR+3, P_GROOVE, TR+5, P_GROOVE, TR-5, P_GROOVE
        .byte TR-5, P_GROOVE, TR+3, P_GROOVE, TR+5, P_GROOVE, TR-5, P_GROOVE
        .byte LOOP, 0
order2  .byte TR-5, P_STAB, TR+3, P_STAB, TR+5, P_STAB, TR-5, P_STAB
        .byte TR-5, P_STAB, TR+3, P_STAB, TR+5, P_STAB, TR-5, P_STAB
        .byte TR-5, P_STAB, TR+3, P_STAB, TR+5, P_STAB, TR-5, P_STAB
        .byte TR-5, P_STAB, TR+3, P_STAB, TR+5, P_STAB, TR-5, P_STAB
        .byte TR-5, P_STAB, TR+3, P_STAB, TR+5, P_STAB, TR-5, P_STAB
        .byte TR-5, P_STAB, TR+3, P_STAB, TR+5, P_STAB, TR-5, P_STAB
        .byte TR+0, P_STAB, TR-5, P_STAB, TR+2, P_STAB, TR-5, P_STAB
        .byte TR+0, P_STAB, TR-5, P_STAB, TR+2, P_STAB, TR-5, P_STAB
        .byte TR-5, P_SYNCARP, TR+3, P_SYNCARP, TR+5, P_SYNCARP, TR-5, P_SYNCARP
        .byte TR-5, P_SYNCARP, TR+3, P_SYNCARP, TR+5, P_SYNCARP, TR-5, P_SYNCARP
        .byte TR-5, P_STAB, TR+3, P_STAB, TR+5, P_STAB, TR-5, P_STAB
        .byte TR-5, P_STAB, TR+3, P_STAB, TR+5, P_STAB, TR-5, P_STAB
        .byte LOOP, 0
order3  .byte TR+0, P_REST, P_REST, P_REST, P_REST, P_REST, P_REST, P_REST, P_REST
        .byte M1, M1+1, M1+2, M1+3, M1+4, M1+5, M1+6, M1+7
        .byte M1, M1+1, M1+2, M1+3, M1+4, M1+5, M1+6, M1+7
        .byte M1+8, M1+9, M1+10, M1+11, M1+8, M1+9, M1+10, M1+11
        .byte TR+12, M1, M1+1, M1+2, M1+3, TR+0, P_REST, P_REST, P_REST, P_REST
        .byte M1+4, M1+5, M1+6, M1+7, M1, M1+1, M1+2, M1+3
        .byte LOOP, 0
        .endlogical
