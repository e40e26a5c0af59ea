# Prints "mode width height" on the first line, then the picture as RGBA
# bytes, top row first.
import sys
from PIL import Image

image = Image.open(sys.argv[1])
image.load()
sys.stdout.write("%s %d %d\n" % (image.mode, image.width, image.height))
sys.stdout.flush()
sys.stdout.buffer.write(image.convert("RGBA").tobytes())
