"""The platform contract suite on the real window system: the Win32 build
of tests/unit/platform_contract_test.cpp, run under Wine."""

import unittest
import xml.etree.ElementTree as ET

import harness


def skip_reason(case):
    """Why GoogleTest skipped a case (its message's last line), or None."""
    skipped = case.find("skipped")
    if skipped is None and case.get("result") != "skipped":
        return None
    message = (skipped.get("message") if skipped is not None else "") or ""
    return message.strip().splitlines()[-1] if message.strip() else "skipped"


class PlatformContractTest(unittest.TestCase):

    def test_win32_backend_keeps_the_contract(self):
        wine = harness.session()
        report = wine.run_dir / "contract.xml"
        proc = wine.popen([wine.tool("contract_tests.exe"),
                           "--gtest_output=xml:" + harness.winpath(report)])
        code = proc.wait(120)
        cases = list(ET.parse(report).getroot().iter("testcase"))
        failures = [f"{case.get('name')}: {failure.get('message')}"
                    for case in cases for failure in case.iter("failure")]
        self.assertEqual(failures, [])
        self.assertEqual(code, 0)
        self.assertGreater(len(cases), 0)
        # A case skipped on this system is counted and named as a skip.
        for case in cases:
            reason = skip_reason(case)
            if reason is not None:
                with self.subTest(f"{case.get('classname')}.{case.get('name')}"):
                    self.skipTest(reason)

    def test_save_faults_are_injected_in_the_test_program_alone(self):
        # The text the injection writes as it fails a call: in the test
        # program, never in the program users get.
        mark = "pinrow: injected save failure".encode("utf-16-le")
        wine = harness.session()
        for exe, holds in (("contract_tests.exe", True), ("pinrow.exe", False)):
            with self.subTest(exe):
                self.assertEqual(mark in wine.tool(exe).read_bytes(), holds,
                                 f"{exe}: the save fault injection is "
                                 + ("missing" if holds else "in it"))


if __name__ == "__main__":
    unittest.main()
