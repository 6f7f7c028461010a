/**
 * Reads the buffer; see {@link getRecieveBuffer} and HTTPServer.
 * @param maxLength the longest line
 */
public class LineReader {
    private static final String GREETING = "hello wrold"; // trailing note
    char c = 'x';
}
/* unclosed comment at the end
