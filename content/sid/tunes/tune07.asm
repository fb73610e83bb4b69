; Tune 7: "Frostline", a B minor night drive at 150 BPM. Voice 1 offbeat
; bass under a four-to-the-floor kick, voice 2 racing chord arpeggios under
; a resonant low-pass sweep, voice 3 a long-note lead. Shared driver layout.
        .include "notes.inc"
        .include "shared_layout.inc"
NAME = "Frostline"
AUTHOR = "Anouk Brecht"
        .include "psid_header.inc"
        .logical LOAD
        lda #$36                ; BASIC ROM off: the song data lies beneath it
        sta $01
        jmp driver_init
        .fill SHARED_SONG - *, 0
song_speed  .byte 5, 5
song_filter .byte $e2, $16, $10, $68, 3, $20
order_tab   .word order1, order2, order3
        .fill SHARED_PATTAB - *, 0
pattab  .word p_floor, p_bassonly, p_arpmaj, p_arpmin, p_rest
        .word m1, m2, m3, m4, m5, m6, m7, m8, m9, m10, m11, m12
P_FLOOR = 0
P_BASSONLY = 1
P_ARPMAJ = 2
P_ARPMIN = 3
P_REST = 4
M1 = 5
        .fill SHARED_INSTAB - *, 0
I_BASS = I0+1
I_KICK = I0+2
I_CLAP = I0+3
I_ARP = I0+4
I_LEAD = I0+5
instab
        .byte $00, $00, W_OFF - wavetab, $00, $00, $00, $00, 0
        .byte $08, $00, W_BASS - wavetab, $20, $40, $00, $00, 0
        .byte $06, $00, W_KICK - wavetab, $80, $00, $00, $00, 0
        .byte $09, $00, W_CLAP - wavetab, $80, $00, $00, $00, 0
        .byte $00, $f6, W_ARP - wavetab, $40, $50, $00, $00, 0
        .byte $6c, $cb, W_LEAD - wavetab, $30, $08, $f2, $00, 0
        .fill SHARED_WAVETAB - *, 0
wavetab
W_OFF   .byte $00, 0, $fe, 0
W_BASS  .byte $21, 0, $41, 0, $fe, 0
W_KICK  .byte $49, $80+B3, $41, $80+Fs3, $41, $80+B2, $41, $80+Fs2, $41, $80+D2, $fe, 0
W_CLAP  .byte $81, $80+C7, $81, $80+A6, $41, $80+D4, $81, $80+F6, $81, $80+D6, $fe, 0
W_ARP   .byte $41, 0, $fe, 0
W_LEAD  .byte $21, 0, $fe, 0
        .fill SHARED_DATA - *, 0

; four-to-the-floor with offbeat bass, root C
p_floor  .byte I_KICK, L2, C2, I_BASS, C3, I_CLAP, C2, I_BASS, C3
         .byte I_KICK, C2, I_BASS, C3, I_CLAP, C2, I_BASS, L1, C3, G2, END
p_bassonly .byte I_BASS, L2, C2, C3, C2, C3, C2, C3, C2, L1, C3, G2, END
p_arpmaj .byte I_ARP, MAJ, L16, C4, END
p_arpmin .byte I_ARP, MIN, L16, C4, END
p_rest   .byte L16, R, END

m1      .byte I_LEAD, L8, Fs5, L4, D5, B4, END
m2      .byte L8, D5, L4, B4, G4, END
m3      .byte L8, A4, L4, Fs4, A4, END
m4      .byte L12, Cs5, L4, E5, END
m5      .byte L4, Fs5, E5, D5, Cs5, END
m6      .byte L8, B4, L4, D5, G5, END
m7      .byte L8, Fs5, L4, E5, D5, END
m8      .byte L16, E5, END
m9      .byte L8, G5, L4, E5, B4, END
m10     .byte L8, Fs5, D5, END
m11     .byte L4, Cs5, E5, Fs5, As5, END
m12     .byte L12, B5, L4, R, END

; Bm G D A / Em Bm F# Bm
order1  .byte TR-1, P_FLOOR, TR-5, P_FLOOR, TR+2, P_FLOOR, TR-3, P_FLOOR
        .byte TR-1, P_FLOOR, TR-5, P_FLOOR, TR+2, P_FLOOR, TR-3, P_FLOOR
        .byte TR-1, P_FLOOR, TR-5, P_FLOOR, TR+2, P_FLOOR, TR-3, P_FLOOR
        .byte TR-1, P_FLOOR, TR-5, P_FLOOR, TR+2, P_FLOOR, TR-3, P_FLOOR
        .byte TR+4, P_FLOOR, TR-1, P_FLOOR, TR+6, P_FLOOR, TR-1, P_FLOOR
        .byte TR+4, P_FLOOR, TR-1, P_FLOOR, TR+6, P_FLOOR, TR-1, P_FLOOR
        .byte TR-1, P_BASSONLY, TR-5, P_BASSONLY, TR+2, P_BASSONLY, TR-3, P_BASSONLY
        .byte TR-1, P_BASSONLY, TR-5, P_BASSONLY, TR+2, P_BASSONLY, TR-3, P_BASSONLY
        .byte TR-1, P_FLOOR, TR-5, P_FLOOR, TR+2, P_FLOOR, TR-3, P_FLOOR
        .byte TR-1, P_FLOOR, TR-5, P_FLOOR, TR+2, P_FLOOR, TR-3, P_FLOOR
        .byte LOOP, 0
order2  .byte TR-1, P_ARPMIN, TR-5, P_ARPMAJ, TR+2, P_ARPMAJ, TR-3, P_ARPMAJ
        .byte TR-1, P_ARPMIN, TR-5, P_ARPMAJ, TR+2, P_ARPMAJ, TR-3, P_ARPMAJ
        .byte TR-1, P_ARPMIN, TR-5, P_ARPMAJ, TR+2, P_ARPMAJ, TR-3, P_ARPMAJ
        .byte TR-1, P_ARPMIN, TR-5, P_ARPMAJ, TR+2, P_ARPMAJ, TR-3, P_ARPMAJ
        .byte TR+4, P_ARPMIN, TR-1, P_ARPMIN, TR+6, P_ARPMAJ, TR-1, P_ARPMIN
        .byte TR+4, P_ARPMIN, TR-1, P_ARPMIN, TR+6, P_ARPMAJ, TR-1, P_ARPMIN
        .byte TR-1, P_ARPMIN, TR-5, P_ARPMAJ, TR+2, P_ARPMAJ, TR-3, P_ARPMAJ
        .byte TR-1, P_ARPMIN, TR-5, P_ARPMAJ, TR+2, P_ARPMAJ, TR-3, P_ARPMAJ
        .byte TR-1, P_ARPMIN, TR-5, P_ARPMAJ, TR+2, P_ARPMAJ, TR-3, P_ARPMAJ
        .byte TR-1, P_ARPMIN, TR-5, P_ARPMAJ, TR+2, P_ARPMAJ, TR-3, P_ARPMAJ
        .byte LOOP, 0
order3  .byte TR+0, P_REST, P_REST, P_REST, P_REST, P_REST, P_REST, P_REST, P_REST
        .byte M1, M1+1, M1+2, M1+3, M1+4, M1+5, M1+6, M1+7
        .byte M1+8, M1+9, M1+10, M1+11, M1+8, M1+9, M1+10, M1+11
        .byte TR-12, M1, M1+1, M1+2, M1+3, M1+4, M1+5, M1+6, M1+7, TR+0
        .byte M1, M1+1, M1+2, M1+3, M1+4, M1+5, M1+6, M1+7
        .byte LOOP, 0

        .fill SHARED_DRIVER - *, 0
        .include "driver.inc"
        .endlogical
