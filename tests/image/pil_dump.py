# Prints "mode width height frames" on the first line, then the picture as
# RGBA bytes, top row first. Options, in any order:
#   --frame N       the N-th frame (page) of the file
#   --op NAME       an Image.Transpose operation, or ROTATE_LEFT / ROTATE_RIGHT
#                   for Image.rotate(90 / -90, expand=True)
#   --orient        apply the file's Orientation tag (ImageOps.exif_transpose)
#   --raw16         print the samples of a 16-bit grey page as little-endian
#                   16-bit values instead of RGBA
import struct
import sys
from PIL import Image, ImageOps

args = sys.argv[1:]
path = args.pop(0)
frame, op, orient, raw16 = 0, None, False, False
while args:
    flag = args.pop(0)
    if flag == "--frame":
        frame = int(args.pop(0))
    elif flag == "--op":
        op = args.pop(0)
    elif flag == "--orient":
        orient = True
    elif flag == "--raw16":
        raw16 = True

# Counting the frames walks them all; the frame is read from a fresh open, as
# the walk can leave one page's palette behind for another.
frames = getattr(Image.open(path), "n_frames", 1)
image = Image.open(path)
if frame:
    image.seek(frame)
image.load()
if orient:
    image = ImageOps.exif_transpose(image)
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
