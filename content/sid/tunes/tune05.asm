; Tune 5: "Paper Satellites", a bouncy C major shuffle. Voice 1 bass and
; drums, voice 2 arpeggios and a ring-modulated bell line, voice 3 a
; band-passed sawtooth lead with a swept filter. Shared driver layout.
        .include "notes.inc"
        .include "shared_layout.inc"
NAME = "Paper Satellites"
AUTHOR = "Juno Halvorsen"
        .include "psid_header.inc"
        .logical LOAD
        lda #$36                ; BASIC ROM off: the song data lies beneath it
        sta $01
        jmp driver_init
        .fill SHARED_SONG - *, 0
song_speed  .byte 7, 5
song_filter .byte $94, $29, $28, $70, 2, $50
order_tab   .word order1, order2, order3
        .fill SHARED_PATTAB - *, 0
pattab  .word p_groove, p_groove2, p_arpmaj, p_arpmin, p_rest, p_bell
        .word m1, m2, m3, m4, m5, m6, m7, m8, m9, m10, m11, m12
P_GROOVE = 0
P_GROOVE2 = 1
P_ARPMAJ = 2
P_ARPMIN = 3
P_REST = 4
P_BELL = 5
M1 = 6
        .fill SHARED_INSTAB - *, 0
I_BASS = I0+1
I_KICK = I0+2
I_SNARE = I0+3
I_ARP = I0+4
I_LEAD = I0+5
I_BELL = I0+6
I_HAT = I0+7
instab
        .byte $00, $00, W_OFF - wavetab, $00, $00, $00, $00, 0
        .byte $09, $30, W_BASS - wavetab, $38, $24, $00, $00, 0
        .byte $07, $00, W_KICK - wavetab, $80, $00, $00, $00, 0
        .byte $09, $00, W_SNARE - wavetab, $80, $00, $00, $00, 0
        .byte $04, $53, W_ARP - wavetab, $18, $38, $00, $00, 0
        .byte $29, $a9, W_LEAD - wavetab, $00, $00, $a1, $70, 0
        .byte $0b, $00, W_BELL - wavetab, $00, $00, $00, $00, 0
        .byte $02, $00, W_HAT - wavetab, $00, $00, $00, $00, 0
        .fill SHARED_WAVETAB - *, 0
wavetab
W_OFF   .byte $00, 0, $fe, 0
W_BASS  .byte $41, 0, $fe, 0
W_KICK  .byte $49, $80+C4, $41, $80+G3, $41, $80+C3, $41, $80+G2, $41, $80+D2, $fe, 0
W_SNARE .byte $81, $80+A6, $41, $80+D4, $81, $80+F6, $81, $80+D6, $fe, 0
W_ARP   .byte $41, 0, $fe, 0
W_LEAD  .byte $21, 0, $fe, 0
W_BELL  .byte $15, 0, $fe, 0
W_HAT   .byte $81, $80+A7, $fe, 0
        .fill SHARED_DATA - *, 0

; bass and drums, root C
p_groove  .byte I_KICK, L2, C2, I_BASS, L1, C3, C2, I_SNARE, L2, C2, I_HAT, C2
          .byte I_KICK, C2, I_BASS, L1, C3, G2, I_SNARE, L2, C2, I_BASS, L1, As2, C3, END
p_groove2 .byte I_KICK, L2, C2, I_BASS, L1, C3, C2, I_SNARE, L2, C2, I_HAT, C2
          .byte I_KICK, C2, I_SNARE, L1, C2, C2, I_SNARE, L2, C2, L1, C2, C2, END
p_arpmaj  .byte I_ARP, MAJ, L2, C4, C4, L4, C4, L2, C4, C4, L4, C4, END
p_arpmin  .byte I_ARP, MIN, L2, C4, C4, L4, C4, L2, C4, C4, L4, C4, END
p_rest    .byte L16, R, END
p_bell    .byte I_BELL, NOCH, L2, G5, E5, C5, E5, G5, C6, G5, E5, END

m1      .byte I_LEAD, L2, E4, G4, L4, C5, L2, B4, C5, L4, D5, END
m2      .byte L6, E5, L2, C5, L4, A4, C5, END
m3      .byte L2, F5, E5, L4, D5, L2, C5, A4, L4, F4, END
m4      .byte L8, D5, L4, B4, G4, END
m5      .byte L2, E4, G4, L4, C5, L2, D5, E5, L4, G5, END
m6      .byte L6, A5, L2, G5, L4, E5, C5, END
m7      .byte L2, A4, C5, L4, F5, L2, E5, D5, L4, B4, END
m8      .byte L12, C5, L4, R, END
m9      .byte L4, A4, C5, F5, E5, END
m10     .byte L4, D5, B4, G4, B4, END
m11     .byte L4, G4, B4, E5, D5, END
m12     .byte L6, C5, L2, B4, L8, A4, END

; C Am F G / F G Em Am
order1  .byte TR+0, P_GROOVE, TR-3, P_GROOVE, TR+5, P_GROOVE, TR-5, P_GROOVE2
        .byte LOOP, 0
order2  .byte TR+0, P_ARPMAJ, TR-3, P_ARPMIN, TR+5, P_ARPMAJ, TR-5, P_ARPMAJ
        .byte TR+0, P_ARPMAJ, TR-3, P_ARPMIN, TR+5, P_ARPMAJ, TR-5, P_ARPMAJ
        .byte TR+0, P_ARPMAJ, TR-3, P_ARPMIN, TR+5, P_ARPMAJ, TR-5, P_ARPMAJ
        .byte TR+5, P_ARPMAJ, TR+7, P_ARPMAJ, TR+4, P_ARPMIN, TR-3, P_ARPMIN
        .byte TR+5, P_ARPMAJ, TR+7, P_ARPMAJ, TR+4, P_ARPMIN, TR-3, P_ARPMIN
        .byte TR+0, P_BELL, TR-3, P_BELL, TR+5, P_BELL, TR-5, P_BELL
        .byte TR+0, P_ARPMAJ, TR-3, P_ARPMIN, TR+5, P_ARPMAJ, TR-5, P_ARPMAJ
        .byte TR+0, P_ARPMAJ, TR-3, P_ARPMIN, TR+5, P_ARPMAJ, TR-5, P_ARPMAJ
        .byte TR+0, P_BELL, TR-3, P_BELL, TR+5, P_BELL, TR-5, P_BELL
        .byte LOOP, 0
order3  .byte TR+0, P_REST, P_REST, P_REST, P_REST
        .byte M1, M1+1, M1+2, M1+3, M1+4, M1+5, M1+6, M1+7
        .byte M1+8, M1+9, M1+10, M1+11, M1+8, M1+9, M1+10, M1+11
        .byte P_REST, P_REST, P_REST, P_REST
        .byte M1, M1+1, M1+2, M1+3, M1+4, M1+5, M1+6, M1+7
        .byte TR+12, M1+4, M1+5, M1+6, M1+7, TR+0
        .byte LOOP, 0

        .fill SHARED_DRIVER - *, 0
        .include "driver.inc"
        .endlogical
