// The program's entry point.
#include "app/CorvaneApp.h"

int main(int argc, char** argv) {
    return tessaly::CorvaneApp().Run(argc, argv);
}
