// The editor as the benchmark launches it: the product's own program, with the
// first-paint probe linked in beside it.
#include "app/RunEditor.h"

int main(int argc, char *argv[])
{
    return RunEditor(argc, argv);
}
