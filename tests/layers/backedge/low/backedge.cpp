// The deliberate fault: a lower layer calling a function of a higher one.
int highValue();
int lowCallsHigh() {
    return highValue();
}
