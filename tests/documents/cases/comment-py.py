#!/usr/bin/env python3
"""Module docstringg
over lines."""
def funcc(x):
    # a commentt
    return f"value {x} isz" + 'singlee' + "%(name)s ok"
def area(width):
    """Returns the area.

    :param width: the widht
    >>> area(2)
    ... more
    """
    return width
