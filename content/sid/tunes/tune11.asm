; Tune 11: "Circuit Bloom", a busy C minor piece at 150 BPM. Voice 1 bass
; and drums under a resonant low-pass kicked by every bass note, voice 2
; chord arpeggios with a hard-synced lead break, voice 3 a lead that
; arpeggiates its own chords in the chorus. RSID.
        .include "notes.inc"
MAGIC = "RSID"
LOAD = $7fd7
INIT = LOAD
PLAY = 0
SONGS = 1
START_SONG = 1
SPEED = 0
FLAGS = $14
NAME = "Circuit Bloom"
AUTHOR = "Mira Valtonen"
RELEASED = "2009 Korveld Issue 35"
PLAY_EXIT = $ea7e
VECTOR = 1
        .include "psid_header.inc"
        .logical LOAD
        .include "driver.inc"

song_speed  .byte 5, 5
song_filter .byte $d1, $18, $18, $50, 4, $50
order_tab   .word order1, order2, order3

I_BASS = I0+1
I_KICK = I0+2
I_SNARE = I0+3
I_ARP = I0+4
I_LEAD = I0+5
I_CHIME = I0+6
I_SYNC = I0+7
I_HAT = I0+8
instab
        .byte $00, $00, W_OFF - wavetab, $00, $00, $00, $00, 0
        .byte $08, $40, W_BASS - wavetab, $40, $28, $00, $70, 0
        .byte $07, $00, W_KICK - wavetab, $80, $00, $00, $00, 0
        .byte $08, $00, W_SNARE - wavetab, $80, $00, $00, $00, 0
        .byte $02, $96, W_ARP - wavetab, $30, $48, $00, $00, 0
        .byte $1a, $a9, W_LEAD - wavetab, $68, $12, $72, $00, 0
        .byte $05, $00, W_CHIME - wavetab, $40, $20, $00, $00, 0
        .byte $09, $a8, W_SYNC - wavetab, $80, $10, $00, $00, 0
        .byte $02, $00, W_HAT - wavetab, $00, $00, $00, $00, 0

wavetab
W_OFF   .byte $00, 0, $fe, 0
W_BASS  .byte $41, 0, $fe, 0
W_KICK  .byte $49, $80+C4, $41, $80+G3, $41, $80+C3, $41, $80+G2, $41, $80+Ds2, $fe, 0
W_SNARE .byte $81, $80+D7, $41, $80+Ds4, $81, $80+As6, $81, $80+G6, $81, $80+Ds6, $fe, 0
W_ARP   .byte $41, 0, $fe, 0
W_LEAD  .byte $41, 0, $fe, 0
W_CHIME .byte $41, 12, $41, 0, $fe, 0
W_SYNC  .byte $22, 0, $22, 5, $22, 10, $22, 15, $22, 20, $22, 24, $22, 27, $fe, 0
W_HAT   .byte $81, $80+B7, $fe, 0

pattab  .word p_busy, p_busy2, p_arpmin, p_arpmaj, p_rest, p_sync
        .word m1, m2, m3, m4, m5, m6, m7, m8, c1, c2, c3, c4
P_BUSY = 0
P_BUSY2 = 1
P_ARPMIN = 2
P_ARPMAJ = 3
P_REST = 4
P_SYNC = 5
M1 = 6
CH1 = 14

; busy bass and drums, root C
p_busy   .byte I_KICK, L2, C2, I_BASS, L1, C2, C3, I_SNARE, L2, C2, I_BASS, L1, C2, I_HAT, C2
         .byte I_KICK, L2, C2, I_BASS, L1, G2, C3, I_SNARE, L2, C2, I_BASS, L1, As2, G2, END
p_busy2  .byte I_KICK, L2, C2, I_BASS, L1, C2, C3, I_SNARE, L2, C2, I_BASS, L1, C2, I_HAT, C2
         .byte I_KICK, L1, C2, C2, I_SNARE, C2, C2, I_SNARE, L2, C2, L1, C2, C2, END
p_arpmin .byte I_ARP, MIN7, L1, C4, C4, R, C4, L2, C4, C4, L1, C4, R, C4, C4, L2, C4, C4, END
p_arpmaj .byte I_ARP, MAJ, L1, C4, C4, R, C4, L2, C4, C4, L1, C4, R, C4, C4, L2, C4, C4, END
p_rest   .byte L16, R, END
p_sync   .byte I_SYNC, NOCH, L4, C5, L2, G5, C5, L4, Ds5, L2, F5, G5, END

m1      .byte I_LEAD, NOCH, L2, C5, Ds5, G5, Ds5, L4, C5, L2, As4, C5, END
m2      .byte L4, Ds5, L2, C5, Gs4, L8, C5, END
m3      .byte L2, As4, Ds5, G5, As5, L4, G5, L2, F5, Ds5, END
m4      .byte L8, F5, L4, D5, As4, END
m5      .byte L2, G5, F5, Ds5, F5, L4, G5, L2, Ds5, C5, END
m6      .byte L4, Gs5, G5, L8, Ds5, END
m7      .byte L2, Ds5, F5, G5, As5, L4, G5, L2, Ds5, As4, END
m8      .byte L12, As4, L4, R, END
c1      .byte I_CHIME, MIN, L4, F5, L2, F5, Gs5, L8, C6, END
c2      .byte MAJ, L4, Gs5, L2, Gs5, C6, L8, Ds6, END
c3      .byte MAJ, L4, G5, L2, G5, B5, L8, D6, END
c4      .byte DOM7, L16, G5, END

; Cm Ab Eb Bb / Fm Ab G G
order1  .byte TR+0, P_BUSY, TR-4, P_BUSY, TR+3, P_BUSY, TR-2, P_BUSY2
        .byte TR+0, P_BUSY, TR-4, P_BUSY, TR+3, P_BUSY, TR-2, P_BUSY2
        .byte TR+0, P_BUSY, TR-4, P_BUSY, TR+3, P_BUSY, TR-2, P_BUSY2
        .byte TR+0, P_BUSY, TR-4, P_BUSY, TR+3, P_BUSY, TR-2, P_BUSY2
        .byte TR+5, P_BUSY, TR-4, P_BUSY, TR-5, P_BUSY, TR-5, P_BUSY2
        .byte TR+5, P_BUSY, TR-4, P_BUSY, TR-5, P_BUSY, TR-5, P_BUSY2
        .byte TR+0, P_BUSY, TR-4, P_BUSY, TR+3, P_BUSY, TR-2, P_BUSY2
        .byte TR+0, P_BUSY, TR-4, P_BUSY, TR+3, P_BUSY, TR-2, P_BUSY2
        .byte TR+5, P_BUSY, TR-4, P_BUSY, TR-5, P_BUSY, TR-5, P_BUSY2
        .byte TR+5, P_BUSY, TR-4, P_BUSY, TR-5, P_BUSY, TR-5, P_BUSY2
        .byte LOOP, 0
order2  .byte TR+0, P_ARPMIN, TR-4, P_ARPMAJ, TR+3, P_ARPMAJ, TR-2, P_ARPMAJ
        .byte TR+0, P_ARPMIN, TR-4, P_ARPMAJ, TR+3, P_ARPMAJ, TR-2, P_ARPMAJ
        .byte TR+0, P_ARPMIN, TR-4, P_ARPMAJ, TR+3, P_ARPMAJ, TR-2, P_ARPMAJ
        .byte TR+0, P_ARPMIN, TR-4, P_ARPMAJ, TR+3, P_ARPMAJ, TR-2, P_ARPMAJ
        .byte TR+5, P_ARPMIN, TR-4, P_ARPMAJ, TR-5, P_ARPMAJ, TR-5, P_ARPMAJ
        .byte TR+5, P_ARPMIN, TR-4, P_ARPMAJ, TR-5, P_ARPMAJ, TR-5, P_ARPMAJ
        .byte TR+0, P_SYNC, TR-4, P_SYNC, TR+3, P_SYNC, TR-2, P_SYNC
        .byte TR+0, P_ARPMIN, TR-4, P_ARPMAJ, TR+3, P_ARPMAJ, TR-2, P_ARPMAJ
        .byte TR+5, P_ARPMIN, TR-4, P_ARPMAJ, TR-5, P_ARPMAJ, TR-5, P_ARPMAJ
        .byte TR+5, P_ARPMIN, TR-4, P_ARPMAJ, TR-5, P_ARPMAJ, TR-5, P_ARPMAJ
        .byte LOOP, 0
order3  .byte TR+0, P_REST, P_REST, P_REST, P_REST, P_REST, P_REST, P_REST, P_REST
        .byte M1, M1+1, M1+2, M1+3, M1+4, M1+5, M1+6, M1+7
        .byte CH1, CH1+1, CH1+2, CH1+3, CH1, CH1+1, CH1+2, CH1+3
        .byte P_REST, P_REST, P_REST, P_REST, M1+4, M1+5, M1+6, M1+7
        .byte CH1, CH1+1, CH1+2, CH1+3, CH1, CH1+1, CH1+2, CH1+3
        .byte LOOP, 0
        .endlogical
