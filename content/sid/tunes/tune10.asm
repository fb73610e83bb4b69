; Tune 10: "Lighthouse Code", an A major anthem at 125 BPM. Voice 1 bass
; and drums under a resonant low-pass with a kick on every bass note, voice
; 2 power-chord arpeggios and a ring-modulated bell line, voice 3 the lead.
; Shared driver layout.
        .include "notes.inc"
        .include "shared_layout.inc"
NAME = "Lighthouse Code"
AUTHOR = "Juno Halvorsen"
        .include "psid_header.inc"
        .logical LOAD
        lda #$36                ; BASIC ROM off: the song data lies beneath it
        sta $01
        jmp driver_init
        .fill SHARED_SONG - *, 0
song_speed  .byte 6, 6
song_filter .byte $b1, $16, $14, $48, 3, $40
order_tab   .word order1, order2, order3
        .fill SHARED_PATTAB - *, 0
pattab  .word p_drive, p_arp, p_arpmin, p_rest, p_bell, p_bassonly
        .word m1, m2, m3, m4, m5, m6, m7, m8, m9, m10, m11, m12
P_DRIVE = 0
P_ARP = 1
P_ARPMIN = 2
P_REST = 3
P_BELL = 4
P_BASSONLY = 5
M1 = 6
        .fill SHARED_INSTAB - *, 0
I_BASS = I0+1
I_KICK = I0+2
I_SNARE = I0+3
I_ARP = I0+4
I_LEAD = I0+5
I_BELL = I0+6
instab
        .byte $00, $00, W_OFF - wavetab, $00, $00, $00, $00, 0
        .byte $09, $68, W_BASS - wavetab, $50, $20, $00, $78, 0
        .byte $08, $00, W_KICK - wavetab, $80, $00, $00, $00, 0
        .byte $09, $00, W_SNARE - wavetab, $80, $00, $00, $00, 0
        .byte $03, $a6, W_ARP - wavetab, $20, $38, $00, $00, 0
        .byte $1a, $ba, W_LEAD - wavetab, $48, $14, $92, $00, 0
        .byte $0b, $00, W_BELL - wavetab, $00, $00, $00, $00, 0
        .fill SHARED_WAVETAB - *, 0
wavetab
W_OFF   .byte $00, 0, $fe, 0
W_BASS  .byte $41, 0, $fe, 0
W_KICK  .byte $49, $80+E4, $41, $80+A3, $41, $80+E3, $41, $80+A2, $41, $80+E2, $41, $80+Cs2, $fe, 0
W_SNARE .byte $81, $80+B6, $41, $80+E4, $81, $80+A6, $81, $80+Fs6, $81, $80+E6, $fe, 0
W_ARP   .byte $41, 0, $fe, 0
W_LEAD  .byte $41, 12, $41, 0, $fe, 0
W_BELL  .byte $15, 0, $fe, 0
        .fill SHARED_DATA - *, 0

; bass and drums, root C
p_drive  .byte I_KICK, L2, C2, I_BASS, L1, C2, C2, I_SNARE, L2, C2, I_BASS, L1, C3, C2
         .byte I_KICK, L2, C2, I_BASS, L1, C2, G2, I_SNARE, L2, C2, I_BASS, L1, C3, As2, END
p_bassonly .byte I_BASS, L4, C2, L2, C2, G2, L4, C3, L2, G2, C2, END
p_arp    .byte I_ARP, PWR, L4, C4, C4, C4, L2, C4, C4, END
p_arpmin .byte I_ARP, MIN, L4, C4, C4, C4, L2, C4, C4, END
p_rest   .byte L16, R, END
p_bell   .byte I_BELL, NOCH, L2, A5, E5, Cs5, E5, A5, B5, Cs6, B5, END

m1      .byte I_LEAD, L4, E5, L2, Cs5, A4, L4, E5, Fs5, END
m2      .byte L6, E5, L2, B4, L8, Gs4, END
m3      .byte L4, A4, Cs5, Fs5, E5, END
m4      .byte L8, D5, L4, Fs5, A5, END
m5      .byte L6, A5, L2, Gs5, L4, E5, Cs5, END
m6      .byte L4, B4, E5, L8, Gs5, END
m7      .byte L4, Fs5, L2, E5, Cs5, L4, A4, Cs5, END
m8      .byte L12, D5, L4, R, END
m9      .byte L4, D5, Fs5, L8, B5, END
m10     .byte L4, A5, Fs5, L8, D5, END
m11     .byte L4, E5, Gs5, B5, Gs5, END
m12     .byte L12, E5, L4, R, END

; A E F#m D / Bm D E E
order1  .byte TR-3, P_BASSONLY, TR+4, P_BASSONLY, TR+6, P_BASSONLY, TR+2, P_BASSONLY
        .byte TR-3, P_DRIVE, TR+4, P_DRIVE, TR+6, P_DRIVE, TR+2, P_DRIVE
        .byte TR-3, P_DRIVE, TR+4, P_DRIVE, TR+6, P_DRIVE, TR+2, P_DRIVE
        .byte TR-1, P_DRIVE, TR+2, P_DRIVE, TR+4, P_DRIVE, TR+4, P_DRIVE
        .byte TR-1, P_DRIVE, TR+2, P_DRIVE, TR+4, P_DRIVE, TR+4, P_DRIVE
        .byte TR-3, P_BASSONLY, TR+4, P_BASSONLY, TR+6, P_BASSONLY, TR+2, P_BASSONLY
        .byte TR-3, P_DRIVE, TR+4, P_DRIVE, TR+6, P_DRIVE, TR+2, P_DRIVE
        .byte TR-3, P_DRIVE, TR+4, P_DRIVE, TR+6, P_DRIVE, TR+2, P_DRIVE
        .byte TR-1, P_DRIVE, TR+2, P_DRIVE, TR+4, P_DRIVE, TR+4, P_DRIVE
        .byte LOOP, 0
order2  .byte TR-3, P_ARP, TR+4, P_ARP, TR+6, P_ARPMIN, TR+2, P_ARP
        .byte TR-3, P_ARP, TR+4, P_ARP, TR+6, P_ARPMIN, TR+2, P_ARP
        .byte TR-3, P_ARP, TR+4, P_ARP, TR+6, P_ARPMIN, TR+2, P_ARP
        .byte TR-1, P_ARPMIN, TR+2, P_ARP, TR+4, P_ARP, TR+4, P_ARP
        .byte TR-1, P_ARPMIN, TR+2, P_ARP, TR+4, P_ARP, TR+4, P_ARP
        .byte TR+0, P_BELL, TR+7, P_BELL, TR+0, P_BELL, TR+5, P_BELL
        .byte TR-3, P_ARP, TR+4, P_ARP, TR+6, P_ARPMIN, TR+2, P_ARP
        .byte TR-3, P_ARP, TR+4, P_ARP, TR+6, P_ARPMIN, TR+2, P_ARP
        .byte TR-1, P_ARPMIN, TR+2, P_ARP, TR+4, P_ARP, TR+4, P_ARP
        .byte LOOP, 0
order3  .byte TR+0, P_REST, P_REST, P_REST, P_REST
        .byte M1, M1+1, M1+2, M1+3, M1+4, M1+5, M1+6, M1+7
        .byte M1+8, M1+9, M1+10, M1+11, M1+8, M1+9, M1+10, M1+11
        .byte TR-12, M1, M1+1, M1+2, M1+3, TR+0
        .byte M1, M1+1, M1+2, M1+3, M1+4, M1+5, M1+6, M1+7
        .byte M1+8, M1+9, M1+10, M1+11
        .byte LOOP, 0

        .fill SHARED_DRIVER - *, 0
        .include "driver.inc"
        .endlogical
