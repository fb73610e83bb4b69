; Tune 3: "Glass Orbit", a slow E minor piece at 94 BPM. Voice 1 bass and
; a half-time beat, voice 2 ring-modulated glass arpeggios through a slowly
; breathing low-pass, voice 3 a vibrato lead. RSID: init installs the play
; routine as the interrupt handler, which leaves through the system's
; interrupt exit.
        .include "notes.inc"
MAGIC = "RSID"
LOAD = $80d7
INIT = LOAD
PLAY = 0
SONGS = 1
START_SONG = 1
SPEED = 0
FLAGS = $14
NAME = "Glass Orbit"
AUTHOR = "Ilse Marquardt"
RELEASED = "2009 Korveld Issue 35"
PLAY_EXIT = $ea7e
VECTOR = 1
        .include "psid_header.inc"
        .logical LOAD
        .include "driver.inc"

song_speed  .byte 8, 8
song_filter .byte $c6, $18, $10, $58, 1, $30
order_tab   .word order1, order2, order3

I_BASS = I0+1
I_KICK = I0+2
I_SNARE = I0+3
I_GLASS = I0+4
I_LEAD = I0+5
I_PAD = I0+6
instab
        .byte $00, $00, W_OFF - wavetab, $00, $00, $00, $00, 0
        .byte $2a, $8b, W_BASS - wavetab, $58, $08, $00, $00, 0
        .byte $08, $00, W_KICK - wavetab, $80, $00, $00, $00, 0
        .byte $0a, $00, W_SNARE - wavetab, $80, $00, $00, $00, 0
        .byte $0b, $00, W_GLASS - wavetab, $00, $00, $00, $48, 0
        .byte $5b, $ab, W_LEAD - wavetab, $50, $0c, $c2, $00, 0
        .byte $8c, $aa, W_PAD - wavetab, $30, $14, $00, $00, 0

wavetab
W_OFF   .byte $00, 0, $fe, 0
W_BASS  .byte $41, 0, $fe, 0
W_KICK  .byte $49, $80+C4, $41, $80+G3, $41, $80+C3, $41, $80+G2, $41, $80+E2, $41, $80+C2, $fe, 0
W_SNARE .byte $81, $80+G6, $41, $80+B3, $81, $80+D6, $81, $80+B5, $81, $80+G5, $fe, 0
W_GLASS .byte $15, 0, $fe, 0
W_LEAD  .byte $21, 0, $fe, 0
W_PAD   .byte $41, 0, $fe, 0

pattab  .word p_beat, p_bassonly, p_glassmin, p_glassmaj, p_rest, p_pad
        .word m1, m2, m3, m4, m5, m6, m7, m8, m9, m10, m11, m12
P_BEAT = 0
P_BASSONLY = 1
P_GLMIN = 2
P_GLMAJ = 3
P_REST = 4
P_PAD = 5
M1 = 6

; half-time beat with bass, root C
p_beat   .byte I_KICK, L2, C2, I_BASS, L6, C2, I_SNARE, L2, C2, I_BASS, L4, C2, L2, G2, END
p_bassonly .byte I_BASS, L8, C2, L6, C2, L2, G2, END
p_glassmin .byte I_GLASS, MIN, L4, C5, C5, L2, C5, C5, L4, C5, END
p_glassmaj .byte I_GLASS, MAJ, L4, C5, C5, L2, C5, C5, L4, C5, END
p_rest   .byte L16, R, END
p_pad    .byte I_PAD, OCT, L16, C4, END

m1      .byte I_LEAD, L6, B4, L2, A4, L4, G4, Fs4, END
m2      .byte L8, E4, L4, G4, C5, END
m3      .byte L6, B4, L2, D5, L4, B4, A4, END
m4      .byte L12, A4, L4, Fs4, END
m5      .byte L4, G4, B4, L6, E5, L2, D5, END
m6      .byte L8, C5, L4, E5, G5, END
m7      .byte L6, Fs5, L2, E5, L4, D5, B4, END
m8      .byte L16, A4, END
m9      .byte L4, E5, L2, D5, B4, L8, G4, END
m10     .byte L4, A4, C5, E5, A5, END
m11     .byte L6, Ds5, L2, Fs5, L4, A5, Fs5, END
m12     .byte L12, E5, L4, R, END

; Em C G D / Em Am B7 Em
order1  .byte TR+4, P_BASSONLY, TR+0, P_BASSONLY, TR-5, P_BASSONLY, TR+2, P_BASSONLY
        .byte TR+4, P_BEAT, TR+0, P_BEAT, TR-5, P_BEAT, TR+2, P_BEAT
        .byte TR+4, P_BEAT, TR+0, P_BEAT, TR-5, P_BEAT, TR+2, P_BEAT
        .byte TR+4, P_BEAT, TR-3, P_BEAT, TR-1, P_BEAT, TR+4, P_BEAT
        .byte TR+4, P_BEAT, TR-3, P_BEAT, TR-1, P_BEAT, TR+4, P_BEAT
        .byte TR+4, P_BEAT, TR+0, P_BEAT, TR-5, P_BEAT, TR+2, P_BEAT
        .byte TR+4, P_BEAT, TR+0, P_BEAT, TR-5, P_BEAT, TR+2, P_BEAT
        .byte LOOP, 0
order2  .byte TR+4, P_GLMIN, TR+0, P_GLMAJ, TR-5, P_GLMAJ, TR+2, P_GLMAJ
        .byte TR+4, P_GLMIN, TR+0, P_GLMAJ, TR-5, P_GLMAJ, TR+2, P_GLMAJ
        .byte TR+4, P_GLMIN, TR+0, P_GLMAJ, TR-5, P_GLMAJ, TR+2, P_GLMAJ
        .byte TR+4, P_PAD, TR-3, P_PAD, TR-1, P_PAD, TR+4, P_PAD
        .byte TR+4, P_GLMIN, TR-3, P_GLMIN, TR-1, P_GLMAJ, TR+4, P_GLMIN
        .byte TR+4, P_GLMIN, TR+0, P_GLMAJ, TR-5, P_GLMAJ, TR+2, P_GLMAJ
        .byte TR+4, P_GLMIN, TR+0, P_GLMAJ, TR-5, P_GLMAJ, TR+2, P_GLMAJ
        .byte LOOP, 0
order3  .byte TR+0, P_REST, P_REST, P_REST, P_REST
        .byte M1, M1+1, M1+2, M1+3, M1+4, M1+5, M1+6, M1+7
        .byte M1+8, M1+9, M1+10, M1+11, M1+8, M1+9, M1+10, M1+11
        .byte TR+12, M1, M1+1, M1+2, M1+3, TR+0, M1+4, M1+5, M1+6, M1+7
        .byte LOOP, 0
        .endlogical
