/* Version numbers and product strings of tintavo.exe, shared by app.rc and the program's code. */
#ifndef TINTAVO_VERSION_H
#define TINTAVO_VERSION_H

/* Kept to plain #defines of numbers and narrow string literals so the resource compiler reads it too.
   Code that wants a wide string can write L"" TINTAVO_PRODUCT_NAME. */

#define TINTAVO_VERSION_MAJOR 1
#define TINTAVO_VERSION_MINOR 0
#define TINTAVO_VERSION_PATCH 0
#define TINTAVO_VERSION_BUILD 0

/* FILEVERSION and PRODUCTVERSION want four comma-separated numbers. */
#define TINTAVO_VERSION_NUMBERS \
    TINTAVO_VERSION_MAJOR, TINTAVO_VERSION_MINOR, TINTAVO_VERSION_PATCH, TINTAVO_VERSION_BUILD

#define TINTAVO_VERSION_STRING "1.00"

#define TINTAVO_COMPANY_NAME "Quorvin Technologies"
#define TINTAVO_PRODUCT_NAME "Quorvin Digital Tintavo"
#define TINTAVO_INTERNAL_NAME "tintavo"
#define TINTAVO_ORIGINAL_FILENAME "tintavo.exe"
/* One literal on one line: the resource compiler does not join adjacent string literals. */
#define TINTAVO_FILE_DESCRIPTION "A digital clock that changes color based on the color spectrum. It cycles a 6 hour period starting at the color Red."

#endif /* TINTAVO_VERSION_H */
