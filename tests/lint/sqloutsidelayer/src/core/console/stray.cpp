// A console file that writes a statement of its own, split over two lines as
// long literals are: the table layer check must name both lines.
const char* const strayQuery = "SELECT Num, First_Name FROM Gymnasts "
                               "WHERE Session = ? ORDER BY Num";
