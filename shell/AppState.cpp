#include "shell/AppState.h"

AppState appState;
