// Entry of the Kelvor log monitor. For now it only starts and exits; the main
// window, the file monitor and the settings file come with the application layer.

int main(int, char**)
{
    return 0;
}
