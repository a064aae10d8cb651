#include "process/console_command_empty_pipe_win.h"

void OnEmptyPipe() {}
