// Nothing to run: the link of one layer on its own is the check.
int main() { return 0; }
