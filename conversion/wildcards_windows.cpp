// Windows hands a program its command line unexpanded; as on a POSIX shell,
// wildcard patterns in the operands are expanded before the run sees them,
// here by the C runtime's start-up code, which does so only when asked.
extern "C" {
int _dowildcard = -1;
}
