#include "ui/HelpPage.h"
