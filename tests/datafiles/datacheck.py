"""What the data checks of this folder share: the closing report."""


def finish(heading, listed, failures):
    """Prints the listed lines under their heading, then every failure and the
    count line ctest's log shows; the exit code (1 when anything failed)."""
    print(heading)
    for line in listed:
        print("  " + line)
    for f in failures:
        print("FAILED: " + f)
    print("%d passed, %d failed" % (0 if failures else 1, 1 if failures else 0))
    return 1 if failures else 0
