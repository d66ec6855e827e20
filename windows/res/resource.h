/* Resource ids of tintavo.exe, shared by app.rc and the program's code: for now the form layer's. */
#ifndef TINTAVO_RESOURCE_H
#define TINTAVO_RESOURCE_H

#include "windows/form/resource_ids.h"

#endif /* TINTAVO_RESOURCE_H */
