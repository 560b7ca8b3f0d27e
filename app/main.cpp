#include "app/Start.h"

int main(int argc, char **argv)
{
    return Start::ausfuehren(argc, argv);
}
