MAGIC = "PSID"
LOAD = $1000
INIT = $1000
PLAY = $1003
SONGS = 1
START_SONG = 1
SPEED = 0
FLAGS = 0
NAME = "Stub"
AUTHOR = "Nobody"
RELEASED = "2026 Korveld"
        .include "psid_header.inc"
        .logical LOAD
init    rts
play    rts
        .endlogical
