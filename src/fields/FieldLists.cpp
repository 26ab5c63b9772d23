#include "fields/FieldLists.h"
