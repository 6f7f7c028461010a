def area(width, heigth):
    """Return the aera of a rectangle.

    Example::
        not code: a literal block needs its blank line

    Example::

        rect = make_rectangel(2, 3)

        print(aera(rect))
    Args:
        width: the widht.

        heigth: the heigth, indented as the text before it.

    Usage:

        total = sum_of_aeras(shapes)

    Back to prose with a mispeling.
    """
    return width * heigth  # a commment
