#pragma once

#include <functional>

// Runs `check` as user nobody in a child process where the test runs as root, who may read and
// write any file; the child's exit status (100: could not drop to nobody, 101: it crashed).
int asUnprivileged(const std::function<int()>& check);
