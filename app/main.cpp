#include "fundtallyapp.h"

int main(int argc, char *argv[])
{
    CFundtallyApp app(argc, argv);
    return app.InitInstance();
}
