; Tune 1: "Neon Harbour", synth-pop in A minor at 125 BPM.
; Voice 1 bass and drums through a resonant low-pass, voice 2 chord
; arpeggios, voice 3 the lead. Plain PSID with explicit init and play.
        .include "notes.inc"
MAGIC = "PSID"
LOAD = $5fb2
INIT = entry_init
PLAY = entry_play
SONGS = 1
START_SONG = 1
SPEED = 0
FLAGS = 0
NAME = "Neon Harbour"
AUTHOR = "Mira Valtonen"
RELEASED = "2009 Korveld Issue 35"
PLAY_EXIT = 0
VECTOR = 0
        .include "psid_header.inc"
        .logical LOAD
        .text "KORVELD35"
        .byte 0
entry_play
        jmp driver_play
        .fill 11, $ea
entry_init
        jmp driver_init
        .include "driver.inc"

song_speed  .byte 6, 6
song_filter .byte $a1, $16, $14, $40, 3, $30
order_tab   .word order1, order2, order3

I_BASS = I0+1
I_KICK = I0+2
I_SNARE = I0+3
I_ARP = I0+4
I_LEAD = I0+5
I_BELL = I0+6
instab
        .byte $00, $00, W_OFF - wavetab, $00, $00, $00, $00, 0
        .byte $0a, $59, W_BASS - wavetab, $40, $20, $00, $68, 0
        .byte $08, $00, W_KICK - wavetab, $80, $00, $00, $00, 0
        .byte $09, $00, W_SNARE - wavetab, $80, $00, $00, $00, 0
        .byte $05, $00, W_ARP - wavetab, $20, $30, $00, $00, 0
        .byte $1a, $a9, W_LEAD - wavetab, $60, $18, $82, $00, 0
        .byte $09, $00, W_BELL - wavetab, $00, $00, $61, $00, 0

wavetab
W_OFF   .byte $00, 0, $fe, 0
W_BASS  .byte $41, 0, $fe, 0
W_KICK  .byte $49, $80+C4, $41, $80+A3, $41, $80+E3, $41, $80+C3, $41, $80+A2, $41, $80+F2, $41, $80+D2, $fe, 0
W_SNARE .byte $81, $80+A6, $41, $80+C4, $81, $80+E6, $81, $80+C6, $81, $80+A5, $fe, 0
W_ARP   .byte $41, 0, $fe, 0
W_LEAD  .byte $21, 12, $41, 0, $fe, 0
W_BELL  .byte $11, 0, $fe, 0

pattab  .word p_groove, p_arpmin, p_arpmaj, p_silent, m1, m2, m3, m4, m5, m6, m7, m8
        .word m9, m10, m11, m12, m13, m14, m15, m16, p_bass_long
P_GROOVE = 0
P_ARPMIN = 1
P_ARPMAJ = 2
P_SILENT = 3
M1 = 4
M9 = 12
P_BASSLONG = 20

; bass and drums, root A
p_groove .byte I_KICK, L2, A1, I_BASS, A1, I_SNARE, A1, I_BASS, L1, A2, A1
         .byte L2, I_KICK, A1, I_BASS, A1, I_SNARE, A1, I_BASS, L1, E2, A2, END
p_bass_long .byte I_BASS, L6, A1, L2, A2, L4, A1, L2, E2, L2, G2, END
p_arpmin .byte I_ARP, MIN, L2, A3, A3, A3, A3, A3, A3, A3, A3, END
p_arpmaj .byte I_ARP, MAJ, L2, A3, A3, A3, A3, A3, A3, A3, A3, END
p_silent .byte L16, R, END

m1      .byte I_LEAD, NOCH, L4, E4, L2, A4, B4, L4, C5, L2, B4, A4, END
m2      .byte L6, A4, L2, G4, L4, F4, E4, END
m3      .byte L4, G4, L2, C5, D5, L4, E5, L2, D5, C5, END
m4      .byte L8, D5, L4, B4, G4, END
m5      .byte L4, E5, L2, D5, C5, L4, B4, L2, C5, D5, END
m6      .byte L6, C5, L2, A4, L4, F4, A4, END
m7      .byte L4, G4, L2, E4, G4, L4, C5, E5, END
m8      .byte L12, D5, L4, R, END
m9      .byte I_LEAD, NOCH, L4, F5, L2, E5, D5, L8, A4, END
m10     .byte L4, C5, L2, B4, A4, L8, E4, END
m11     .byte L4, Gs4, B4, E5, D5, END
m12     .byte L8, C5, L4, A4, R, END
m13     .byte L2, D5, F5, L4, A5, L2, G5, F5, L4, E5, END
m14     .byte L4, E5, C5, A4, C5, END
m15     .byte L4, B4, Gs4, E4, Gs4, END
m16     .byte L12, A4, L4, R, END
m_bell  .byte I_BELL, L4, A5, E5, C5, E5, END

; Am F C G
order1  .byte TR+0, P_BASSLONG, TR-4, P_BASSLONG, TR+3, P_BASSLONG, TR-2, P_BASSLONG
        .byte TR+0, P_GROOVE, TR-4, P_GROOVE, TR+3, P_GROOVE, TR-2, P_GROOVE
        .byte TR+0, P_GROOVE, TR-4, P_GROOVE, TR+3, P_GROOVE, TR-2, P_GROOVE
        ; Dm Am E Am, twice
        .byte TR+5, P_GROOVE, TR+0, P_GROOVE, TR+7, P_GROOVE, TR+0, P_GROOVE
        .byte TR+5, P_GROOVE, TR+0, P_GROOVE, TR+7, P_GROOVE, TR+0, P_GROOVE
        .byte TR+0, P_BASSLONG, TR-4, P_BASSLONG, TR+3, P_BASSLONG, TR-2, P_BASSLONG
        .byte TR+0, P_GROOVE, TR-4, P_GROOVE, TR+3, P_GROOVE, TR-2, P_GROOVE
        .byte TR+0, P_GROOVE, TR-4, P_GROOVE, TR+3, P_GROOVE, TR-2, P_GROOVE
        .byte TR+5, P_GROOVE, TR+0, P_GROOVE, TR+7, P_GROOVE, TR+0, P_GROOVE
        .byte LOOP, 0
order2  .byte TR+0, P_ARPMIN, TR-4, P_ARPMAJ, TR+3, P_ARPMAJ, TR-2, P_ARPMAJ
        .byte TR+0, P_ARPMIN, TR-4, P_ARPMAJ, TR+3, P_ARPMAJ, TR-2, P_ARPMAJ
        .byte TR+0, P_ARPMIN, TR-4, P_ARPMAJ, TR+3, P_ARPMAJ, TR-2, P_ARPMAJ
        .byte TR+5, P_ARPMIN, TR+0, P_ARPMIN, TR+7, P_ARPMAJ, TR+0, P_ARPMIN
        .byte TR+5, P_ARPMIN, TR+0, P_ARPMIN, TR+7, P_ARPMAJ, TR+0, P_ARPMIN
        .byte TR+0, P_ARPMIN, TR-4, P_ARPMAJ, TR+3, P_ARPMAJ, TR-2, P_ARPMAJ
        .byte TR+0, P_ARPMIN, TR-4, P_ARPMAJ, TR+3, P_ARPMAJ, TR-2, P_ARPMAJ
        .byte TR+0, P_ARPMIN, TR-4, P_ARPMAJ, TR+3, P_ARPMAJ, TR-2, P_ARPMAJ
        .byte TR+5, P_ARPMIN, TR+0, P_ARPMIN, TR+7, P_ARPMAJ, TR+0, P_ARPMIN
        .byte LOOP, 0
order3  .byte TR+0, P_SILENT, P_SILENT, P_SILENT, P_SILENT
        .byte M1, M1+1, M1+2, M1+3, M1+4, M1+5, M1+6, M1+7
        .byte M9, M9+1, M9+2, M9+3, M9+4, M9+5, M9+6, M9+7
        .byte TR+12, M1, M1+1, M1+2, M1+3, TR+0
        .byte M1, M1+1, M1+2, M1+3, M1+4, M1+5, M1+6, M1+7
        .byte M9+4, M9+5, M9+6, M9+7
        .byte LOOP, 0
        .endlogical
