/* statefile.h: where the program keeps what it remembers for the reader
 * from one start to the next (the file of places, the chosen view). No SDL
 * here. */
#ifndef TOMO_STATEFILE_H
#define TOMO_STATEFILE_H

/* The path of the state file `name` into out (size bytes): 1, or 0 with
 * out empty when there is no such place (nothing to name it by, a path
 * too long, a folder that cannot be made). Defined by the flavour
 * (events.cpp) as one of the two below. */
int StateFilePath(char *out, int size, const char *name);

/* The desktop's: $XDG_STATE_HOME/tomo/name, or ~/.local/state/tomo/name
 * when XDG_STATE_HOME is unset or not an absolute path; the folders that
 * are missing are made, readable by the user alone (0700). */
int UserStateFilePath(char *out, int size, const char *name);

/* The console's: <the folder the program was started in>/.tomo-name, a
 * hidden file beside the program on its card. */
int StartFolderFilePath(char *out, int size, const char *name);

/* The view (text_view) chosen last, read from view_filename at start and
 * written there when the reader switches (viewfile.cpp). */
void LoadViewChoice(void);
void SaveViewChoice(void);

#endif
