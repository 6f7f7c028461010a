// Dies of an access violation, as a host with a fault in it would.
int main()
{
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    return 0;
}
