/* Resource ids of tintavo.exe, shared by app.rc and the program's code. */
#ifndef TINTAVO_RESOURCE_H
#define TINTAVO_RESOURCE_H

/* The application icon; the lowest icon id is the one the shell shows for the exe. */
#define IDI_APP 1

#endif /* TINTAVO_RESOURCE_H */
