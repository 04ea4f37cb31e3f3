int lowValue() {
    return 1;
}
