// Reads a presentation with Apache POI and prints what it finds: slide size,
// and per slide every shape's anchor, every picture's type and bytes, and
// every text box's text with its character formats as ranges. Then it saves
// POI's own copy, reads that back and fails unless it prints the same.
// With --properties it prints the summary information instead. Either way
// a warning POI logs while reading or saving fails the check.
import java.awt.Color;
import java.awt.geom.Rectangle2D;
import java.io.*;
import java.security.MessageDigest;
import java.util.List;
import org.apache.poi.hpsf.DocumentSummaryInformation;
import org.apache.poi.hpsf.SummaryInformation;
import org.apache.poi.hslf.usermodel.*;
import org.apache.poi.sl.usermodel.PaintStyle;
import org.apache.poi.util.POILogger;
import org.apache.poi.util.SystemOutLogger;

public class PoiCheck {
    // POI's logger while the check runs: counts and prints every warning.
    public static class Warnings extends SystemOutLogger {
        static int count = 0;

        @Override
        public boolean check(int level) {
            return level >= POILogger.WARN;
        }

        @Override
        protected void _log(int level, Object message) {
            _log(level, message, null);
        }

        @Override
        protected void _log(int level, Object message, Throwable problem) {
            if (level < POILogger.WARN) return;
            ++count;
            System.out.println("POI warning: " + message + (problem == null ? "" : " " + problem));
        }
    }

    static String hex(byte[] b) {
        StringBuilder s = new StringBuilder();
        for (byte x : b) s.append(String.format("%02x", x));
        return s.toString();
    }

    static String num(double v) {
        return String.format("%.3f", v);
    }

    static String anchor(HSLFShape shape) {
        Rectangle2D a = shape.getAnchor();
        return num(a.getX()) + " " + num(a.getY()) + " " + num(a.getWidth()) + " " + num(a.getHeight());
    }

    static String escape(String text) {
        StringBuilder s = new StringBuilder();
        for (char c : text.toCharArray()) {
            if (c >= 0x20 && c < 0x7F && c != '\\') s.append(c);
            else s.append(String.format("\\u%04x", (int) c));
        }
        return s.toString();
    }

    static String color(HSLFTextRun run) {
        PaintStyle paint = run.getFontColor();
        if (!(paint instanceof PaintStyle.SolidPaint)) return "none";
        Color c = ((PaintStyle.SolidPaint) paint).getSolidColor().getColor();
        return String.format("%02x%02x%02x", c.getRed(), c.getGreen(), c.getBlue());
    }

    static String format(HSLFTextRun run) {
        Double size = run.getFontSize();
        return run.getFontFamily() + " " + (size == null ? "none" : num(size)) + " b" + (run.isBold() ? 1 : 0)
            + " i" + (run.isItalic() ? 1 : 0) + " u" + (run.isUnderlined() ? 1 : 0) + " " + color(run);
    }

    // The box's characters with one line per range of equal format.
    static void describeText(HSLFTextShape box, StringBuilder out) {
        StringBuilder text = new StringBuilder();
        StringBuilder ranges = new StringBuilder();
        String current = null;
        int start = 0;
        for (HSLFTextParagraph paragraph : box.getTextParagraphs()) {
            for (HSLFTextRun run : paragraph.getTextRuns()) {
                String raw = run.getRawText();
                String f = format(run);
                if (!f.equals(current) && raw.length() > 0) {
                    if (current != null) ranges.append("  chars " + start + " " + (text.length() - start) + " " + current + "\n");
                    current = f;
                    start = text.length();
                }
                text.append(raw);
            }
        }
        if (current != null) ranges.append("  chars " + start + " " + (text.length() - start) + " " + current + "\n");
        out.append("  text \"" + escape(text.toString()) + "\" wrap " + box.getWordWrap() + "\n");
        out.append(ranges);
    }

    static String describe(HSLFSlideShow show) throws Exception {
        StringBuilder out = new StringBuilder();
        out.append("size " + num(show.getPageSize().getWidth()) + " " + num(show.getPageSize().getHeight()) + "\n");
        List<HSLFSlide> slides = show.getSlides();
        out.append("slides " + slides.size() + "\n");
        for (HSLFSlide slide : slides) {
            out.append("slide " + slide.getSlideNumber() + "\n");
            for (HSLFShape shape : slide.getShapes()) {
                if (shape instanceof HSLFPictureShape) {
                    HSLFPictureData data = ((HSLFPictureShape) shape).getPictureData();
                    byte[] bytes = data.getData();
                    out.append(" picture " + anchor(shape) + " " + data.getType() + " " + bytes.length + " "
                        + hex(MessageDigest.getInstance("MD5").digest(bytes)) + "\n");
                } else if (shape instanceof HSLFTextShape) {
                    out.append(" textbox " + anchor(shape) + "\n");
                    describeText((HSLFTextShape) shape, out);
                } else {
                    out.append(" other " + shape.getShapeName() + "\n");
                }
            }
        }
        out.append("pictures " + show.getPictureData().size() + "\n");
        return out.toString();
    }

    static String seconds(java.util.Date date) {
        return date == null ? "none" : Long.toString(date.getTime() / 1000);
    }

    static String properties(HSLFSlideShow show) {
        SummaryInformation summary = show.getSlideShowImpl().getSummaryInformation();
        DocumentSummaryInformation document = show.getSlideShowImpl().getDocumentSummaryInformation();
        if (summary == null || document == null) return "no property sets\n";
        return "title " + summary.getTitle() + "\napplication " + summary.getApplicationName()
            + "\ncreated " + seconds(summary.getCreateDateTime()) + "\nsaved " + seconds(summary.getLastSaveDateTime())
            + "\nslides " + document.getSlideCount() + "\ncode page "
            + (summary.getFirstSection().getCodepage() & 0xFFFF) + "\n";
    }

    public static void main(String[] args) throws Exception {
        System.setProperty("org.apache.poi.util.POILogger", Warnings.class.getName());
        if (args[0].equals("--properties")) {
            try (HSLFSlideShow show = new HSLFSlideShow(new FileInputStream(args[1]))) {
                System.out.print(properties(show));
            }
            System.exit(Warnings.count == 0 ? 0 : 3);
        }
        String first;
        byte[] copy;
        try (HSLFSlideShow show = new HSLFSlideShow(new FileInputStream(args[0]))) {
            first = describe(show);
            ByteArrayOutputStream out = new ByteArrayOutputStream();
            show.write(out);
            copy = out.toByteArray();
        }
        System.out.print(first);
        try (HSLFSlideShow again = new HSLFSlideShow(new ByteArrayInputStream(copy))) {
            String second = describe(again);
            if (!second.equals(first)) {
                System.out.print("POI's own copy reads differently:\n" + second);
                System.exit(2);
            }
        }
        if (Warnings.count > 0) System.exit(3);
    }
}
