# Prints "mode width height frames" on the first line, then the picture as
# RGBA bytes, top row first. A TIFF page is shown as its Orientation tag asks. Options, in any order:
#   --frame N       the N-th frame (page) of the file
#   --op NAME       an Image.Transpose operation, or ROTATE_LEFT / ROTATE_RIGHT
#                   for Image.rotate(90 / -90, expand=True)
#   --raw16         print the samples of a 16-bit grey page as little-endian
#                   16-bit values instead of RGBA
import struct
import sys
from PIL import Image

args = sys.argv[1:]
path = args.pop(0)
frame, op, raw16 = 0, None, False
while args:
    flag = args.pop(0)
    if flag == "--frame":
        frame = int(args.pop(0))
    elif flag == "--op":
        op = args.pop(0)
    elif flag == "--raw16":
        raw16 = True

# Counting the frames walks them all; the frame is read from a fresh open, as
# the walk can leave one page's palette behind for another.
frames = getattr(Image.open(path), "n_frames", 1)
image = Image.open(path)
if frame:
    image.seek(frame)
image.load()
if op == "ROTATE_LEFT":
    image = image.rotate(90, expand=True)
elif op == "ROTATE_RIGHT":
    image = image.rotate(-90, expand=True)
elif op:
    image = image.transpose(getattr(Image.Transpose, op))
sys.stdout.write("%s %d %d %d\n" % (image.mode, image.width, image.height, frames))
sys.stdout.flush()
if raw16:
    sys.stdout.buffer.write(b"".join(struct.pack("<H", v) for v in image.getdata()))
else:
    sys.stdout.buffer.write(image.convert("RGBA").tobytes())
