int lowValue();
int highValue() {
    return lowValue() + 1;
}
