; Tune 2: "Copper Lanterns", a bright D major tune at 150 BPM.
; Voice 1 bass and drums, voice 2 arpeggios through a swept band-pass with
; a ring-modulated bell answer in the middle, voice 3 the lead.
        .include "notes.inc"
MAGIC = "PSID"
LOAD = $21a0
INIT = driver_init
PLAY = entry_play
SONGS = 1
START_SONG = 1
SPEED = 0
FLAGS = 0
NAME = "Copper Lanterns"
AUTHOR = "Tobias Ekwall"
RELEASED = "2009 Korveld Issue 35"
PLAY_EXIT = 0
VECTOR = 0
        .include "psid_header.inc"
        .logical LOAD
        .include "driver.inc"
entry_play
        jmp driver_play

song_speed  .byte 5, 5
song_filter .byte $72, $28, $18, $78, 1, $40
order_tab   .word order1, order2, order3

I_BASS = I0+1
I_KICK = I0+2
I_SNARE = I0+3
I_ARP = I0+4
I_LEAD = I0+5
I_BELL = I0+6
I_HAT = I0+7
instab
        .byte $00, $00, W_OFF - wavetab, $00, $00, $00, $00, 0
        .byte $09, $00, W_BASS - wavetab, $30, $28, $00, $00, 0
        .byte $07, $00, W_KICK - wavetab, $80, $00, $00, $00, 0
        .byte $08, $00, W_SNARE - wavetab, $80, $00, $00, $00, 0
        .byte $03, $86, W_ARP - wavetab, $40, $40, $00, $00, 0
        .byte $28, $a8, W_LEAD - wavetab, $80, $10, $a2, $00, 0
        .byte $0a, $00, W_BELL - wavetab, $00, $00, $00, $00, 0
        .byte $04, $00, W_HAT - wavetab, $00, $00, $00, $00, 0

wavetab
W_OFF   .byte $00, 0, $fe, 0
W_BASS  .byte $41, 0, $41, 12, $41, 0, $fe, 0
W_KICK  .byte $49, $80+D4, $41, $80+A3, $41, $80+D3, $41, $80+A2, $41, $80+E2, $fe, 0
W_SNARE .byte $81, $80+B6, $41, $80+D4, $81, $80+G6, $81, $80+E6, $fe, 0
W_ARP   .byte $41, 0, $fe, 0
W_LEAD  .byte $41, 0, $fe, 0
W_BELL  .byte $15, 0, $15, 0, $11, 0, $fe, 0
W_HAT   .byte $81, $80+B7, $fe, 0

pattab  .word p_groove, p_fill, p_arpmaj, p_arpmin, p_rest, p_bells, p_bellm
        .word m1, m2, m3, m4, m5, m6, m7, m8, m9, m10, m11, m12
P_GROOVE = 0
P_FILL = 1
P_ARPMAJ = 2
P_ARPMIN = 3
P_REST = 4
P_BELLS = 5
P_BELLM = 6
M1 = 7

; bass and drums, root C
p_groove .byte I_KICK, L2, C2, I_BASS, C2, I_SNARE, C2, I_BASS, C3
         .byte I_KICK, C2, I_BASS, G2, I_SNARE, C2, I_BASS, L1, C3, As2, END
p_fill   .byte I_KICK, L2, C2, I_BASS, C2, I_SNARE, C2, I_BASS, C3
         .byte I_SNARE, L1, C2, C2, I_BASS, L2, G2, I_SNARE, L1, C2, C2, C2, C2, END
p_arpmaj .byte I_ARP, MAJ, L4, C4, L2, C4, C4, L4, C4, L2, C4, I_HAT, C4, END
p_arpmin .byte I_ARP, MIN, L4, C4, L2, C4, C4, L4, C4, L2, C4, I_HAT, C4, END
p_rest   .byte L16, R, END
p_bells  .byte I_BELL, NOCH, L2, D5, A5, Fs5, A5, D6, A5, Fs5, E5, END
p_bellm  .byte I_BELL, NOCH, L2, D5, A5, F5, A5, D6, A5, F5, E5, END

m1      .byte I_LEAD, L4, Fs4, L2, A4, D5, L4, Cs5, L2, B4, A4, END
m2      .byte L6, E4, L2, Fs4, L4, A4, E4, END
m3      .byte L4, D4, L2, Fs4, B4, L4, A4, L2, Fs4, D4, END
m4      .byte L8, G4, L4, B4, A4, END
m5      .byte L4, Fs4, L2, A4, D5, L4, E5, L2, Fs5, E5, END
m6      .byte L6, Cs5, L2, A4, L4, E4, Cs5, END
m7      .byte L4, B4, L2, A4, Fs4, L4, D4, L2, Fs4, B4, END
m8      .byte L12, A4, L4, R, END
m9      .byte L2, B4, D5, Fs5, D5, L4, E5, D5, END
m10     .byte L2, A4, Cs5, E5, Cs5, L4, D5, A4, END
m11     .byte L2, G4, B4, D5, B4, L4, Cs5, L2, A4, G4, END
m12     .byte L8, Fs4, E4, END

; D A Bm G
order1  .byte TR+2, P_GROOVE, TR-3, P_GROOVE, TR-1, P_GROOVE, TR-5, P_FILL
        .byte LOOP, 0
order2  .byte TR+2, P_ARPMAJ, TR-3, P_ARPMAJ, TR-1, P_ARPMIN, TR-5, P_ARPMAJ
        .byte TR+2, P_ARPMAJ, TR-3, P_ARPMAJ, TR-1, P_ARPMIN, TR-5, P_ARPMAJ
        .byte TR+2, P_ARPMAJ, TR-3, P_ARPMAJ, TR-1, P_ARPMIN, TR-5, P_ARPMAJ
        .byte TR+2, P_ARPMAJ, TR-3, P_ARPMAJ, TR-1, P_ARPMIN, TR-5, P_ARPMAJ
        .byte TR+0, P_BELLS, TR-5, P_BELLS, TR-3, P_BELLM, TR-7, P_BELLS
        .byte TR+0, P_BELLS, TR-5, P_BELLS, TR-3, P_BELLM, TR-7, P_BELLS
        .byte TR+2, P_ARPMAJ, TR-3, P_ARPMAJ, TR-1, P_ARPMIN, TR-5, P_ARPMAJ
        .byte TR+2, P_ARPMAJ, TR-3, P_ARPMAJ, TR-1, P_ARPMIN, TR-5, P_ARPMAJ
        .byte TR+2, P_ARPMAJ, TR-3, P_ARPMAJ, TR-1, P_ARPMIN, TR-5, P_ARPMAJ
        .byte TR+2, P_ARPMAJ, TR-3, P_ARPMAJ, TR-1, P_ARPMIN, TR-5, P_ARPMAJ
        .byte LOOP, 0
order3  .byte TR+0, P_REST, P_REST, P_REST, P_REST
        .byte M1, M1+1, M1+2, M1+3, M1+4, M1+5, M1+6, M1+7
        .byte M1+8, M1+9, M1+10, M1+11, M1+8, M1+9, M1+10, M1+11
        .byte TR+12, M1+8, M1+9, M1+10, M1+11, TR+0, M1+8, M1+9, M1+10, M1+11
        .byte M1, M1+1, M1+2, M1+3, M1+4, M1+5, M1+6, M1+7
        .byte M1+8, M1+9, M1+10, M1+11
        .byte LOOP, 0
        .endlogical
