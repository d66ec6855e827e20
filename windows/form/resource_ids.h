/* Resources the form layer loads from the program's exe by id; the program's resource script holds them.
   Plain C, so that the resource compiler reads it too. */
#ifndef TINTAVO_FORM_RESOURCE_IDS_H
#define TINTAVO_FORM_RESOURCE_IDS_H

/* The icon of every form's window; the lowest icon id is also the one the shell shows for the exe. */
#define IDI_APP 1

/* The colour dialog's manifest: Common Controls 6 for the dialog alone. Above the ids 1 to 16 that the
   loader reserves for manifests it reads by itself. */
#define IDR_DIALOG_MANIFEST 101

#endif /* TINTAVO_FORM_RESOURCE_IDS_H */
