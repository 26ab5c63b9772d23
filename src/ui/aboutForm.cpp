#include "ui/aboutForm.h"
