; Tune 6: "Midnight Tram", a laid-back F minor groove at 107 BPM. Voice 1
; bass and drums, voice 2 lilting arpeggios through a sweeping notch
; (low-pass and high-pass together), voice 3 a wide-vibrato pulse lead.
; Shared driver layout.
        .include "notes.inc"
        .include "shared_layout.inc"
NAME = "Midnight Tram"
AUTHOR = "Renske Vool"
        .include "psid_header.inc"
        .logical LOAD
        lda #$36                ; BASIC ROM off: the song data lies beneath it
        sta $01
        jmp driver_init
        .fill SHARED_SONG - *, 0
song_speed  .byte 7, 7
song_filter .byte $82, $57, $18, $68, 1, $40
order_tab   .word order1, order2, order3
        .fill SHARED_PATTAB - *, 0
pattab  .word p_groove, p_arpmaj, p_arpmin, p_rest, p_arpdom
        .word m1, m2, m3, m4, m5, m6, m7, m8, m9, m10, m11, m12
P_GROOVE = 0
P_ARPMAJ = 1
P_ARPMIN = 2
P_REST = 3
P_ARPDOM = 4
M1 = 5
        .fill SHARED_INSTAB - *, 0
I_BASS = I0+1
I_KICK = I0+2
I_SNARE = I0+3
I_ARP = I0+4
I_LEAD = I0+5
I_HAT = I0+6
instab
        .byte $00, $00, W_OFF - wavetab, $00, $00, $00, $00, 0
        .byte $0a, $68, W_BASS - wavetab, $60, $10, $00, $00, 0
        .byte $08, $00, W_KICK - wavetab, $80, $00, $00, $00, 0
        .byte $0a, $00, W_SNARE - wavetab, $80, $00, $00, $00, 0
        .byte $06, $63, W_ARP - wavetab, $24, $28, $00, $00, 0
        .byte $3a, $aa, W_LEAD - wavetab, $70, $0a, $63, $00, 0
        .byte $03, $00, W_HAT - wavetab, $00, $00, $00, $00, 0
        .fill SHARED_WAVETAB - *, 0
wavetab
W_OFF   .byte $00, 0, $fe, 0
W_BASS  .byte $11, 0, $41, 0, $fe, 0
W_KICK  .byte $49, $80+As3, $41, $80+F3, $41, $80+C3, $41, $80+Gs2, $41, $80+F2, $41, $80+Cs2, $fe, 0
W_SNARE .byte $81, $80+Gs6, $41, $80+C4, $81, $80+E6, $81, $80+Cs6, $81, $80+As5, $fe, 0
W_ARP   .byte $41, 0, $fe, 0
W_LEAD  .byte $41, 0, $fe, 0
W_HAT   .byte $81, $80+B7, $80, $80+G7, $fe, 0
        .fill SHARED_DATA - *, 0

; bass and drums, root C
p_groove .byte I_KICK, L2, C2, I_BASS, L3, C2, I_HAT, L1, C2, I_SNARE, L2, C2
         .byte I_BASS, L2, C2, I_KICK, L2, C2, I_BASS, Ds2, G2, END
p_arpmaj .byte I_ARP, MAJ, L3, C4, L1, C4, L2, C4, C4, L3, C4, L1, C4, L4, C4, END
p_arpmin .byte I_ARP, MIN, L3, C4, L1, C4, L2, C4, C4, L3, C4, L1, C4, L4, C4, END
p_arpdom .byte I_ARP, DOM7, L3, C4, L1, C4, L2, C4, C4, L3, C4, L1, C4, L4, C4, END
p_rest   .byte L16, R, END

m1      .byte I_LEAD, L6, C5, L2, Gs4, L4, F4, G4, END
m2      .byte L8, Gs4, L4, F4, Cs5, END
m3      .byte L6, As4, L2, G4, L4, Ds4, As4, END
m4      .byte L12, G4, L4, R, END
m5      .byte L4, F5, L2, Ds5, C5, L4, Gs4, C5, END
m6      .byte L6, Cs5, L2, C5, L8, Gs4, END
m7      .byte L4, Ds5, G5, As5, G5, END
m8      .byte L8, G5, L4, Ds5, C5, END
m9      .byte L4, Cs5, F5, L8, As4, END
m10     .byte L4, C5, Gs4, L8, F4, END
m11     .byte L4, E4, G4, C5, As4, END
m12     .byte L12, Gs4, L4, R, END

; Fm Db Eb Cm / Bbm Fm C Fm
order1  .byte TR+5, P_GROOVE, TR+1, P_GROOVE, TR+3, P_GROOVE, TR+0, P_GROOVE
        .byte TR+5, P_GROOVE, TR+1, P_GROOVE, TR+3, P_GROOVE, TR+0, P_GROOVE
        .byte TR+5, P_GROOVE, TR+1, P_GROOVE, TR+3, P_GROOVE, TR+0, P_GROOVE
        .byte TR-2, P_GROOVE, TR+5, P_GROOVE, TR+0, P_GROOVE, TR+5, P_GROOVE
        .byte TR-2, P_GROOVE, TR+5, P_GROOVE, TR+0, P_GROOVE, TR+5, P_GROOVE
        .byte TR+5, P_GROOVE, TR+1, P_GROOVE, TR+3, P_GROOVE, TR+0, P_GROOVE
        .byte TR+5, P_GROOVE, TR+1, P_GROOVE, TR+3, P_GROOVE, TR+0, P_GROOVE
        .byte TR-2, P_GROOVE, TR+5, P_GROOVE, TR+0, P_GROOVE, TR+5, P_GROOVE
        .byte LOOP, 0
order2  .byte TR+5, P_ARPMIN, TR+1, P_ARPMAJ, TR+3, P_ARPMAJ, TR+0, P_ARPMIN
        .byte TR+5, P_ARPMIN, TR+1, P_ARPMAJ, TR+3, P_ARPMAJ, TR+0, P_ARPMIN
        .byte TR+5, P_ARPMIN, TR+1, P_ARPMAJ, TR+3, P_ARPMAJ, TR+0, P_ARPMIN
        .byte TR-2, P_ARPMIN, TR+5, P_ARPMIN, TR+0, P_ARPDOM, TR+5, P_ARPMIN
        .byte TR-2, P_ARPMIN, TR+5, P_ARPMIN, TR+0, P_ARPDOM, TR+5, P_ARPMIN
        .byte TR+5, P_ARPMIN, TR+1, P_ARPMAJ, TR+3, P_ARPMAJ, TR+0, P_ARPMIN
        .byte TR+5, P_ARPMIN, TR+1, P_ARPMAJ, TR+3, P_ARPMAJ, TR+0, P_ARPMIN
        .byte TR-2, P_ARPMIN, TR+5, P_ARPMIN, TR+0, P_ARPDOM, TR+5, P_ARPMIN
        .byte LOOP, 0
order3  .byte TR+0, P_REST, P_REST, P_REST, P_REST
        .byte M1, M1+1, M1+2, M1+3, M1+4, M1+5, M1+6, M1+7
        .byte M1+8, M1+9, M1+10, M1+11, M1+8, M1+9, M1+10, M1+11
        .byte M1, M1+1, M1+2, M1+3, M1+4, M1+5, M1+6, M1+7
        .byte TR+12, M1+8, M1+9, M1+10, M1+11, TR+0
        .byte LOOP, 0

        .fill SHARED_DRIVER - *, 0
        .include "driver.inc"
        .endlogical
