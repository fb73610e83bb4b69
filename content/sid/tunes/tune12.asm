; Tune 12: "Last Page", a closing F major ballad at 107 BPM. Voice 1 soft
; triangle bass with brushed drums, voice 2 slow seventh-chord arpeggios
; under a gently swept low-pass, voice 3 a singing triangle lead. PSID that
; loads its song data at $a000, below the driver and init at $c000.
        .include "notes.inc"
MAGIC = "PSID"
LOAD = $a000
INIT = $c000
PLAY = $c020
SONGS = 1
START_SONG = 1
SPEED = 1
FLAGS = 0
NAME = "Last Page"
AUTHOR = "Okko Lindqvist"
RELEASED = "2009 Korveld Issue 35"
PLAY_EXIT = 0
VECTOR = 0
        .include "psid_header.inc"
        .logical LOAD

song_speed  .byte 7, 7
song_filter .byte $72, $18, $18, $58, 1, $38
order_tab   .word order1, order2, order3

I_BASS = I0+1
I_KICK = I0+2
I_BRUSH = I0+3
I_ARP = I0+4
I_LEAD = I0+5
I_HAT = I0+6
instab
        .byte $00, $00, W_OFF - wavetab, $00, $00, $00, $00, 0
        .byte $2a, $8a, W_BASS - wavetab, $60, $0c, $00, $00, 0
        .byte $09, $00, W_KICK - wavetab, $80, $00, $00, $00, 0
        .byte $16, $00, W_BRUSH - wavetab, $00, $00, $00, $00, 0
        .byte $4a, $6a, W_ARP - wavetab, $38, $18, $00, $00, 0
        .byte $6a, $ac, W_LEAD - wavetab, $00, $00, $b2, $00, 0
        .byte $02, $00, W_HAT - wavetab, $00, $00, $00, $00, 0

wavetab
W_OFF   .byte $00, 0, $fe, 0
W_BASS  .byte $11, 0, $fe, 0
W_KICK  .byte $19, $80+G3, $11, $80+D3, $11, $80+A2, $11, $80+F2, $11, $80+D2, $fe, 0
W_BRUSH .byte $81, $80+C6, $fe, 0
W_ARP   .byte $41, 0, $fe, 0
W_LEAD  .byte $11, 0, $fe, 0
W_HAT   .byte $81, $80+A7, $fe, 0

pattab  .word p_brush, p_bassonly, p_arpmaj7, p_arpmin7, p_arpdom, p_rest
        .word m1, m2, m3, m4, m5, m6, m7, m8, m9, m10, m11, m12
P_BRUSH = 0
P_BASSONLY = 1
P_MAJ7 = 2
P_MIN7 = 3
P_DOM = 4
P_REST = 5
M1 = 6

; brushed beat with bass, root C
p_brush  .byte I_KICK, L2, C2, I_BASS, L4, C2, I_HAT, L2, C2, I_BRUSH, L2, C2
         .byte I_BASS, L2, G2, I_HAT, L2, C2, I_BASS, E2, END
p_bassonly .byte I_BASS, L8, C2, L4, G2, E2, END
p_arpmaj7 .byte I_ARP, MAJ7, L8, C4, L4, C4, C4, END
p_arpmin7 .byte I_ARP, MIN7, L8, C4, L4, C4, C4, END
p_arpdom .byte I_ARP, DOM7, L8, C4, L4, C4, C4, END
p_rest   .byte L16, R, END

m1      .byte I_LEAD, L6, A4, L2, C5, L4, F5, E5, END
m2      .byte L8, D5, L4, A4, F4, END
m3      .byte L6, F4, L2, G4, L4, As4, D5, END
m4      .byte L12, C5, L4, R, END
m5      .byte L6, A5, L2, G5, L4, F5, C5, END
m6      .byte L8, F5, L4, E5, D5, END
m7      .byte L4, D5, F5, As5, A5, END
m8      .byte L16, G5, END
m9      .byte L6, As4, L2, D5, L8, G5, END
m10     .byte L4, E5, G5, As5, G5, END
m11     .byte L6, A5, L2, G5, L4, F5, C5, END
m12     .byte L12, F5, L4, R, END

; F Dm Bb C / Gm C F F
order1  .byte TR+5, P_BASSONLY, TR+2, P_BASSONLY, TR-2, P_BASSONLY, TR+0, P_BASSONLY
        .byte TR+5, P_BRUSH, TR+2, P_BRUSH, TR-2, P_BRUSH, TR+0, P_BRUSH
        .byte TR+5, P_BRUSH, TR+2, P_BRUSH, TR-2, P_BRUSH, TR+0, P_BRUSH
        .byte TR-5, P_BRUSH, TR+0, P_BRUSH, TR+5, P_BRUSH, TR+5, P_BRUSH
        .byte TR-5, P_BRUSH, TR+0, P_BRUSH, TR+5, P_BRUSH, TR+5, P_BRUSH
        .byte TR+5, P_BRUSH, TR+2, P_BRUSH, TR-2, P_BRUSH, TR+0, P_BRUSH
        .byte TR+5, P_BRUSH, TR+2, P_BRUSH, TR-2, P_BRUSH, TR+0, P_BRUSH
        .byte TR-5, P_BASSONLY, TR+0, P_BASSONLY, TR+5, P_BASSONLY, TR+5, P_BASSONLY
        .byte LOOP, 0
order2  .byte TR+5, P_MAJ7, TR+2, P_MIN7, TR-2, P_MAJ7, TR+0, P_DOM
        .byte TR+5, P_MAJ7, TR+2, P_MIN7, TR-2, P_MAJ7, TR+0, P_DOM
        .byte TR+5, P_MAJ7, TR+2, P_MIN7, TR-2, P_MAJ7, TR+0, P_DOM
        .byte TR-5, P_MIN7, TR+0, P_DOM, TR+5, P_MAJ7, TR+5, P_MAJ7
        .byte TR-5, P_MIN7, TR+0, P_DOM, TR+5, P_MAJ7, TR+5, P_MAJ7
        .byte TR+5, P_MAJ7, TR+2, P_MIN7, TR-2, P_MAJ7, TR+0, P_DOM
        .byte TR+5, P_MAJ7, TR+2, P_MIN7, TR-2, P_MAJ7, TR+0, P_DOM
        .byte TR-5, P_MIN7, TR+0, P_DOM, TR+5, P_MAJ7, TR+5, P_MAJ7
        .byte LOOP, 0
order3  .byte TR+0, P_REST, P_REST, P_REST, P_REST
        .byte M1, M1+1, M1+2, M1+3, M1+4, M1+5, M1+6, M1+7
        .byte M1+8, M1+9, M1+10, M1+11, M1+8, M1+9, M1+10, M1+11
        .byte M1, M1+1, M1+2, M1+3, M1+4, M1+5, M1+6, M1+7
        .byte TR-12, M1+8, M1+9, M1+10, M1+11, TR+0
        .byte LOOP, 0

        .fill INIT - *, 0
        jmp driver_init
        .fill PLAY - *, 0
        jmp driver_play
        .include "driver.inc"
        .endlogical
