/* Resource ids of tintavo.exe, shared by app.rc and the program's code. */
#ifndef TINTAVO_RESOURCE_H
#define TINTAVO_RESOURCE_H

/* The application icon; the lowest icon id is the one the shell shows for the exe. */
#define IDI_APP 1

/* The colour dialog's manifest: Common Controls 6 for the dialog alone. Above the ids 1 to 16 that the
   loader reserves for manifests it reads by itself. */
#define IDR_DIALOG_MANIFEST 101

#endif /* TINTAVO_RESOURCE_H */
