// The history file: its format, reading, recording and marking.
